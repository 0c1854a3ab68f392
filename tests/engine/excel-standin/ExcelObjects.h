#pragma once

#include "ExcelModel.h"
#include "Server.h"

#include <memory>
#include <vector>
#include <windows.h>
// After windows.h: a lean windows.h leaves OLE Automation out.
#include <ole2.h>

// The object model the program reaches from "Excel.Application". Objects are thin views of the
// session and its workbooks.
namespace standin::excel {

/// One Excel session: what the Application object and everything reached from it share.
struct Session {
    /// The open workbooks, in the order they were opened or added.
    std::vector<std::shared_ptr<Book>> books;
    bool displayAlerts = true;
    bool enableEvents = true;
    bool askToUpdateLinks = true;
    bool visible = false;
    /// MsoAutomationSecurity: 1 macros enabled, what Excel starts with under automation.
    long automationSecurity = 1;
    /// XlCalculation: -4105 automatic (the start value), -4135 manual, 2 semiautomatic.
    long calculation = -4105;
    int added = 0;
};
using SessionPtr = std::shared_ptr<Session>;

using BookPtr = std::shared_ptr<Book>;

IDispatch* newApplication(SessionPtr session);
IDispatch* newWorkbooks(SessionPtr session);
IDispatch* newWorksheets(BookPtr book);
/// Worksheet.UsedRange of the workbook's sheet `sheet` (from 0).
IDispatch* newUsedRange(BookPtr book, size_t sheet);

/// XlCalculation's xlCalculationManual.
constexpr long XlManual = -4135;

/// Fails the call as Excel's run-time errors do: 1004 for most of the object model's.
[[noreturn]] void fail(long number, const std::wstring& description);
/// Logs what Excel would do that a program driving a hidden Excel must avoid.
void finding(const std::wstring& text);
/// Fails a call on an object of a closed workbook.
void requireOpen(const Book& book);

} // namespace standin::excel
