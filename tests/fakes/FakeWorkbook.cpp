#include "FakeEngine.h"

#include <QFileInfo>

namespace brindlecast::fakes {

namespace {

class FakeWorkbook final : public engine::Workbook {
public:
    explicit FakeWorkbook(FakeEngine& engine)
        : mEngine(engine) {}
    QStringList worksheetNames() override {
        mEngine.record(QStringLiteral("worksheetNames"));
        QStringList names;
        for (const FakeSheet& sheet : mEngine.workbookModel)
            names << sheet.name;
        return names;
    }
    engine::SheetTexts usedRangeTexts(int index) override {
        mEngine.record(QStringLiteral("usedRangeTexts %1").arg(index));
        if (index < 1 || index > int(mEngine.workbookModel.size()))
            throw engine::EngineError("Subscript out of range");
        return mEngine.workbookModel[size_t(index - 1)].texts;
    }
    void close() override { mEngine.record(QStringLiteral("closeWorkbook")); }

private:
    FakeEngine& mEngine;
};

class FakeSpreadsheets final : public engine::Spreadsheets {
public:
    explicit FakeSpreadsheets(FakeEngine& engine)
        : mEngine(engine) {}
    engine::Workbook& open(const QString& path) override {
        mEngine.record(QStringLiteral("openWorkbook ") + path);
        if (!QFileInfo(path).isFile())
            throw engine::OpenError(path, QStringLiteral("there is no such file"));
        mWorkbooks.push_back(std::make_unique<FakeWorkbook>(mEngine));
        return *mWorkbooks.back();
    }
    void quit() override {
        mEngine.record(QStringLiteral("quitSpreadsheets"));
        mWorkbooks.clear();
    }

private:
    FakeEngine& mEngine;
    std::vector<std::unique_ptr<FakeWorkbook>> mWorkbooks;
};

} // namespace

std::unique_ptr<engine::Spreadsheets> FakeEngine::createSpreadsheets() {
    record(QStringLiteral("createSpreadsheets"));
    return std::make_unique<FakeSpreadsheets>(*this);
}

} // namespace brindlecast::fakes
