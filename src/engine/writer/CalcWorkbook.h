#pragma once

#include "FileGate.h"
#include "engine/Workbook.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <memory>
#include <vector>

// Workbooks read through the office's spreadsheet part, on the same office process the
// documents use.
namespace brindlecast::engine::writer {

class OfficeProcess;

class CalcWorkbook final : public Workbook {
public:
    /// `pass` lets the office read the workbook's file for as long as it is open.
    CalcWorkbook(std::shared_ptr<OfficeProcess> office,
                 css::uno::Reference<css::lang::XComponent> component, QString path,
                 FileGate::Pass pass);
    ~CalcWorkbook() override;
    CalcWorkbook(const CalcWorkbook&) = delete;
    CalcWorkbook& operator=(const CalcWorkbook&) = delete;

    QStringList worksheetNames() override;
    SheetTexts usedRangeTexts(int index) override;
    void close() override;
    /// Closes without reporting failures (a dead engine has nothing left to close).
    void closeQuietly() noexcept;

private:
    EngineError failure(const QString& what) const;

    std::shared_ptr<OfficeProcess> mOffice;
    css::uno::Reference<css::lang::XComponent> mComponent;
    QString mPath;
    FileGate::Pass mPass;
};

class CalcSpreadsheets final : public Spreadsheets {
public:
    /// SpreadsheetsMissing when the office at hand has no spreadsheet part.
    explicit CalcSpreadsheets(std::shared_ptr<OfficeProcess> office);
    ~CalcSpreadsheets() override;

    Workbook& open(const QString& path) override;
    void quit() override;

private:
    std::shared_ptr<OfficeProcess> mOffice;
    std::vector<std::unique_ptr<CalcWorkbook>> mWorkbooks;
};

} // namespace brindlecast::engine::writer
