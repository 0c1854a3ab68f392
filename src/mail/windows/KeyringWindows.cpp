// Windows' Credential Manager: a generic credential per account, kept for the user on this
// computer and encrypted by Windows.
#include "mail/Keyring.h"

#include <string>
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincred.h>

namespace brindlecast::mail {

namespace {

std::wstring Target(const QString& account) {
    return (QStringLiteral("Brindlecast/") + account).toStdWString();
}

QString ErrorText(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message =
        text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return message;
}

} // namespace

KeyringAnswer ReadKeyringPassword(const QString& account) {
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(Target(account).c_str(), CRED_TYPE_GENERIC, 0, &credential)) {
        const DWORD error = GetLastError();
        if (error == ERROR_NOT_FOUND)
            return {KeyringAnswer::Kind::Missing};
        return {KeyringAnswer::Kind::Unreachable, {}, ErrorText(error)};
    }
    const QString password =
        QString::fromUtf8(reinterpret_cast<const char*>(credential->CredentialBlob),
                          qsizetype(credential->CredentialBlobSize));
    CredFree(credential);
    return {KeyringAnswer::Kind::Found, password};
}

QString StoreKeyringPassword(const QString& account, const QString& password) {
    std::wstring target = Target(account);
    std::wstring user = account.toStdWString();
    QByteArray secret = password.toUtf8();
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = user.data();
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
    credential.CredentialBlobSize = DWORD(secret.size());
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const bool kept = CredWriteW(&credential, 0);
    const DWORD error = GetLastError();
    secret.fill('\0');
    return kept ? QString() : ErrorText(error);
}

QString KeyringName() {
    return QStringLiteral("the Windows Credential Manager");
}

} // namespace brindlecast::mail
