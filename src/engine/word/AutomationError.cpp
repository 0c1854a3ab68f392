// What a failed automation call tells the user, and the thread's apartment.
#include "Automation.h"
#include "BusyWord.h"

#include <objbase.h>

namespace brindlecast::engine::word {

namespace {

QString takeBstr(BSTR& text) {
    QString value = text ? QString::fromWCharArray(text, int(SysStringLen(text))) : QString();
    SysFreeString(text);
    text = nullptr;
    return value;
}

// Word's process is gone or no longer answers: the call itself is not what failed.
bool serverGone(HRESULT result) {
    return result == RPC_E_DISCONNECTED || result == RPC_E_SERVER_DIED ||
           result == RPC_E_SERVER_DIED_DNE || result == CO_E_OBJNOTCONNECTED ||
           result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE);
}

struct Apartment {
    HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool left = false;
    void leave() noexcept {
        if (SUCCEEDED(entered) && !left)
            CoUninitialize();
        left = true;
    }
    ~Apartment() { leave(); }
};

// Once per thread, entered at its first use and left when the thread ends.
Apartment& threadsApartment() {
    thread_local Apartment apartment;
    return apartment;
}

} // namespace

QString SystemMessage(long result) {
    wchar_t text[512] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       DWORD(result), 0, text, DWORD(std::size(text)), nullptr);
    QString message = QString::fromWCharArray(text, int(length)).trimmed();
    if (message.endsWith(QLatin1Char('.')))
        message.chop(1);
    const QString number = QStringLiteral("0x%1").arg(quint32(result), 8, 16, QLatin1Char('0'));
    return message.isEmpty() ? QStringLiteral("error %1").arg(number)
                             : QStringLiteral("%1 (%2)").arg(message, number);
}

void ThrowAutomationError(long result, const QString& member, EXCEPINFO* exception) {
    if (result == DISP_E_EXCEPTION && exception) {
        if (exception->pfnDeferredFillIn)
            exception->pfnDeferredFillIn(exception);
        const QString description = takeBstr(exception->bstrDescription).trimmed();
        takeBstr(exception->bstrSource);
        takeBstr(exception->bstrHelpFile);
        // Word's own words, as its error box would put them.
        if (!description.isEmpty())
            throw WordRefusal(description.toStdString());
        if (exception->scode)
            result = exception->scode;
    }
    if (serverGone(result))
        throw EngineError(QStringLiteral("Word stopped unexpectedly: %1.")
                              .arg(SystemMessage(result))
                              .toStdString());
    // Still rejected when the patience ran out: Word is there, only busy.
    if (result == RPC_E_CALL_REJECTED || result == RPC_E_SERVERCALL_RETRYLATER)
        throw EngineError(QStringLiteral("Word stayed busy and did not take \"%1\": %2.")
                              .arg(member, SystemMessage(result))
                              .toStdString());
    throw WordRefusal(QStringLiteral("Word's \"%1\" failed: %2.")
                          .arg(member, SystemMessage(result))
                          .toStdString());
}

void EnterApartment() {
    // A thread that is already in the multithreaded apartment can make the calls too (through
    // proxies), so that is no failure.
    const Apartment& apartment = threadsApartment();
    if (FAILED(apartment.entered) && apartment.entered != RPC_E_CHANGED_MODE)
        throw EngineError(QStringLiteral("Automation cannot be used on this thread: %1.")
                              .arg(SystemMessage(apartment.entered))
                              .toStdString());
    ListenToBusyWord();
}

void LeaveApartment() noexcept {
    StopListening();
    threadsApartment().leave();
}

} // namespace brindlecast::engine::word
