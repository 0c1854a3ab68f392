#include "FakeDialogs.h"

#include <cmath>

namespace brindlecast::fakes {

MsgAnswer FakeMessageBoxes::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    shown.push_back({prompt, style, title.isEmpty() ? ProgramTitle() : title});
    if (whileOpen)
        whileOpen(shown.back());
    if (!answers.empty()) {
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return MsgButtons(style) == MsgStyle::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

void FakeSaveDialog::ShowSave() {
    shown.push_back({FileName, DialogTitle, Filter, FilterIndex});
    FileName.clear();
    if (!answers.empty()) {
        FileName = answers.front();
        answers.pop_front();
    }
    if (!filterAnswers.empty()) {
        FilterIndex = filterAnswers.front();
        filterAnswers.pop_front();
    }
}

std::optional<QImage> FakeClipboard::picture(int /*format*/) {
    ++requests;
    if (busyRequests > 0) {
        --busyRequests;
        return std::nullopt;
    }
    return mPicture;
}

double FakeRandom::next() {
    if (!fractions.empty()) {
        const double fraction = fractions.front();
        fractions.pop_front();
        return fraction;
    }
    // A fixed, well-spread sequence, so that repeated draws still differ.
    mLast = std::fmod(mLast + 0.6180339887, 1.0);
    return mLast;
}

} // namespace brindlecast::fakes
