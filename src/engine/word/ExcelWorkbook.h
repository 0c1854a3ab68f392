#pragma once

#include "Automation.h"
#include "engine/Workbook.h"

#include <memory>
#include <vector>

// Workbooks read through the user's Excel, every member called by name as for Word: a hidden
// Excel of its own per session, started for it and quit when it ends.
namespace brindlecast::engine::word {

class ServerProcess;

class ExcelWorkbook final : public Workbook {
public:
    explicit ExcelWorkbook(Dispatch workbook)
        : mWorkbook(std::move(workbook)) {}
    bool isOpen() const { return bool(mWorkbook); }
    void release() noexcept { mWorkbook.reset(); }

    QStringList worksheetNames() override;
    SheetTexts usedRangeTexts(int index) override;
    void close() override;

private:
    Dispatch mWorkbook;
};

class ExcelSpreadsheets final : public Spreadsheets {
public:
    ExcelSpreadsheets(Dispatch application, std::shared_ptr<ServerProcess> process);
    /// Quits Excel unless quit() was called; every interface is released either way.
    ~ExcelSpreadsheets() override;
    ExcelSpreadsheets(const ExcelSpreadsheets&) = delete;
    ExcelSpreadsheets& operator=(const ExcelSpreadsheets&) = delete;

    Workbook& open(const QString& path) override;
    void quit() override;

private:
    void prepare();
    void leaveToUser();
    void releaseAll() noexcept;

    Dispatch mApplication;
    std::shared_ptr<ServerProcess> mProcess;
    /// The blank workbook that lets the calculation be set to manual before anything opens.
    std::unique_ptr<ExcelWorkbook> mBlank;
    std::vector<std::unique_ptr<ExcelWorkbook>> mWorkbooks;
    bool mQuitTried = false;
};

} // namespace brindlecast::engine::word
