#include "CsvRecords.h"

#include "Recipients.h"

namespace brindlecast::recipients {

namespace {

bool IsLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

class Splitter {
public:
    Splitter(const QString& text, QChar delimiter, qsizetype from, int line)
        : mText(text)
        , mDelimiter(delimiter)
        , mPos(from)
        , mLine(line) {}

    std::vector<CsvRecord> run() {
        std::vector<CsvRecord> records;
        while (mPos < mText.size())
            records.push_back(record());
        return records;
    }

private:
    CsvRecord record() {
        CsvRecord record{{}, mLine};
        for (;;) {
            record.cells.append(cell());
            if (mPos >= mText.size())
                return record;
            if (mText[mPos] != mDelimiter) {
                skipLineBreak();
                return record;
            }
            if (++mPos == mText.size()) {
                record.cells.append(QString());
                return record;
            }
        }
    }

    // Blanks before an opening quote are tolerated, as hand-written lists have them; text after
    // a closing quote is kept rather than rejected.
    QString cell() {
        qsizetype start = mPos;
        while (mPos < mText.size() && mText[mPos] != mDelimiter &&
               (mText[mPos] == QLatin1Char(' ') || mText[mPos] == QLatin1Char('\t')))
            ++mPos;
        if (mPos < mText.size() && mText[mPos] == QLatin1Char('"')) {
            const QString value = quoted();
            return value + unquoted();
        }
        mPos = start;
        return unquoted();
    }

    QString quoted() {
        const int startLine = mLine;
        QString value;
        for (++mPos;;) {
            if (mPos >= mText.size())
                throw RecipientListError(
                    QStringLiteral("unterminated quote at line %1").arg(startLine), startLine);
            const QChar c = mText[mPos];
            if (c == QLatin1Char('"')) {
                if (mPos + 1 == mText.size() || mText[mPos + 1] != QLatin1Char('"')) {
                    ++mPos;
                    return value;
                }
                ++mPos;
            }
            if (IsLineBreak(c)) {
                skipLineBreak();
                value += QLatin1Char('\n');
            } else {
                value += mText[mPos++];
            }
        }
    }

    QString unquoted() {
        const qsizetype start = mPos;
        while (mPos < mText.size() && mText[mPos] != mDelimiter && !IsLineBreak(mText[mPos]))
            ++mPos;
        return mText.mid(start, mPos - start);
    }

    // CR LF, LF and a lone CR (old Mac exports) each end one line.
    void skipLineBreak() {
        if (mText[mPos] == QLatin1Char('\r') && mPos + 1 < mText.size() &&
            mText[mPos + 1] == QLatin1Char('\n'))
            ++mPos;
        ++mPos;
        ++mLine;
    }

    const QString& mText;
    const QChar mDelimiter;
    qsizetype mPos;
    int mLine;
};

} // namespace

QChar DetectDelimiter(const QString& text, qsizetype from) {
    const QChar candidates[] = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    int counts[3] = {0, 0, 0};
    bool inQuotes = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        else if (!inQuotes && IsLineBreak(c))
            break;
        else if (!inQuotes)
            for (int k = 0; k < 3; ++k)
                counts[k] += c == candidates[k] ? 1 : 0;
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        best = counts[k] > counts[best] ? k : best;
    return candidates[best];
}

std::vector<CsvRecord> SplitCsv(const QString& text, QChar delimiter, qsizetype from, int line) {
    return Splitter(text, delimiter, from, line).run();
}

} // namespace brindlecast::recipients
