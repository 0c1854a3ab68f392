// On Windows the settings are in HKEY_CURRENT_USER, which every test gets a key of its own for:
// RegOverridePredefKey points the process's HKEY_CURRENT_USER at it, Wine's too.
#include "support/Isolated.h"

#include <QUuid>
#include <stdexcept>
#include <windows.h>
// Needs windows.h first.
#include <sddl.h>

namespace brindlecast::testing {

namespace {

// Test stores live inside each other's lifetimes (a suite's and a test's): the innermost wins.
std::vector<HKEY>& overrides() {
    static std::vector<HKEY> stack;
    return stack;
}

void pointCurrentUserAt(HKEY key) {
    if (RegOverridePredefKey(HKEY_CURRENT_USER, key) != ERROR_SUCCESS)
        throw std::runtime_error("cannot give the test a registry of its own");
}

const QString TestsKey = QStringLiteral("Software\\Brindlecast tests\\");

} // namespace

PrivateSettingsStore::PrivateSettingsStore(QString configFolder)
    : mConfigFolder(std::move(configFolder)) {
    const QString name = TestsKey + QUuid::createUuid().toString(QUuid::WithoutBraces);
    mRegistryRoot = QStringLiteral("HKCU\\") + name;
    pointCurrentUserAt(nullptr);
    HKEY key = nullptr;
    const LSTATUS made = RegCreateKeyExW(HKEY_CURRENT_USER, name.toStdWString().c_str(), 0, nullptr,
                                         0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (made != ERROR_SUCCESS)
        throw std::runtime_error("cannot make the test's registry key");
    overrides().push_back(key);
    pointCurrentUserAt(key);
}

PrivateSettingsStore::~PrivateSettingsStore() {
    RegCloseKey(overrides().back());
    overrides().pop_back();
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, mRegistryRoot.mid(5).toStdWString().c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, TestsKey.chopped(1).toStdWString().c_str());
    if (!overrides().empty())
        RegOverridePredefKey(HKEY_CURRENT_USER, overrides().back());
}

void PrivateSettingsStore::makeUnwritable(const QString& app, const QString& section) {
    const std::wstring path =
        (QStringLiteral("Software\\VB and VBA Program Settings\\") + app + '\\' + section)
            .toStdWString();
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | WRITE_DAC,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot make the settings key");
    // Everyone is denied setting values and making subkeys; reading and deleting stay allowed.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool denied =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr) &&
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    RegCloseKey(key);
    if (!denied)
        throw std::runtime_error("cannot make the settings key unwritable");
}

} // namespace brindlecast::testing
