// The stand-in for "Excel.Application" that the Windows edition's tests drive instead of Excel:
// an out-of-process automation server on the Word stand-in's dispatch, call log, faults and
// server frame, registered with /RegServer, removed with /UnregServer, and started by COM with
// -Embedding.
#include "Dispatch.h"
#include "ExcelObjects.h"
#include "Server.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    using namespace standin;
    // The stand-in's own class id, never Excel's.
    const ServerIdentity identity{
        {0x5b1f6c2e, 0x3a47, 0x4d0e, {0x9c, 0x61, 0x2f, 0x8e, 0x71, 0xa4, 0x0b, 0xd3}},
        L"{5B1F6C2E-3A47-4D0E-9C61-2F8E71A40BD3}",
        L"Brindlecast Excel stand-in",
        L"Excel.Application",
        L"Excel.Application.16",
        L"BrindlecastExcelStandin"};
    setErrorSource(L"Microsoft Excel");
    ServerHooks hooks;
    hooks.createApplication = [] {
        return excel::newApplication(std::make_shared<excel::Session>());
    };
    return runServer(identity, std::move(hooks), instance, commandLine);
}
