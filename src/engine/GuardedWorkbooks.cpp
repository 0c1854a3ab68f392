#include "GuardedWorkbooks.h"

#include "DeadlineEngine.h"

#include <map>

namespace brindlecast::engine {

namespace {

class GuardedWorkbook final : public Workbook {
public:
    GuardedWorkbook(DeadlineEngine& guard, Workbook& workbook)
        : mGuard(guard)
        , mWorkbook(workbook) {}
    QStringList worksheetNames() override {
        QStringList names;
        mGuard.request([&] { names = mWorkbook.worksheetNames(); });
        return names;
    }
    SheetTexts usedRangeTexts(int index) override {
        SheetTexts texts;
        mGuard.request([&] { texts = mWorkbook.usedRangeTexts(index); });
        return texts;
    }
    void close() override {
        mGuard.request([this] { mWorkbook.close(); });
    }

private:
    DeadlineEngine& mGuard;
    Workbook& mWorkbook;
};

class GuardedSpreadsheets final : public Spreadsheets {
public:
    GuardedSpreadsheets(DeadlineEngine& guard, std::unique_ptr<Spreadsheets> spreadsheets)
        : mGuard(guard)
        , mSpreadsheets(std::move(spreadsheets)) {}
    // As a guarded document session ends: on the request thread, or with the engine stopped
    // first when that cannot be.
    ~GuardedSpreadsheets() override {
        try {
            mGuard.request([this] { mSpreadsheets.reset(); });
        } catch (...) {
            mGuard.stop();
        }
    }
    Workbook& open(const QString& path) override {
        Workbook* inner = nullptr;
        mGuard.request([&] { inner = &mSpreadsheets->open(path); });
        auto& slot = mWorkbooks[inner];
        if (!slot)
            slot = std::make_unique<GuardedWorkbook>(mGuard, *inner);
        return *slot;
    }
    void quit() override {
        mGuard.request([this] { mSpreadsheets->quit(); });
    }

private:
    DeadlineEngine& mGuard;
    std::unique_ptr<Spreadsheets> mSpreadsheets;
    std::map<Workbook*, std::unique_ptr<GuardedWorkbook>> mWorkbooks;
};

} // namespace

std::unique_ptr<Spreadsheets> GuardSpreadsheets(DeadlineEngine& guard,
                                                std::unique_ptr<Spreadsheets> spreadsheets) {
    return std::make_unique<GuardedSpreadsheets>(guard, std::move(spreadsheets));
}

} // namespace brindlecast::engine
