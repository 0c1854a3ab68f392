// The settings store on Windows: string values at the branch that earlier programs of this kind
// used, read back as stored, with values that are no text and keys that refuse writes handled.
#include "RoomsTest.h"
#include "app/Settings.h"
#include "support/Isolated.h"

#include <QRegularExpression>

namespace brindlecast {
namespace {

using namespace testing;

const wchar_t* const Branch = L"Software\\VB and VBA Program Settings\\Quillmark\\Brindlecast";

class RegistrySettingsTest : public Isolated {
protected:
    // What reg.exe lists at the branch: another program's view, not this process's.
    QString listed() {
        QProcess reg;
        reg.start("reg",
                  {"query", settings().registryRoot() + '\\' + QString::fromWCharArray(Branch)});
        return reg.waitForFinished(30000) ? QString::fromLocal8Bit(reg.readAllStandardOutput())
                                          : "";
    }
    // Stores a value as another program would.
    static void put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Branch, name, type, data, size),
                  ERROR_SUCCESS);
    }
    static DWORD typeOf(const wchar_t* name) {
        DWORD type = REG_NONE;
        RegGetValueW(HKEY_CURRENT_USER, Branch, name, RRF_RT_ANY, &type, nullptr, nullptr);
        return type;
    }
    static QString stored(const QString& key) {
        return GetSetting(AppName, SectionName, key, "default");
    }
};

TEST_F(RegistrySettingsTest, ValuesStandAtTheBranchAsStringsAndComeBackExactly) {
    EXPECT_EQ(stored("Text1_0"), "default");
    for (const QString& value :
         {QString(), QString("  padded  "), QString("@Millbrook, VT 05401"),
          QString("a=b;c\\d \"q\""), QString::fromUtf8("שלום 😀 Ünïcode"), QString(5000, 'w')}) {
        ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_0", value));
        EXPECT_EQ(stored("Text1_0"), value);
    }
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_4", "Dana Hollis"));
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "DateTimePicker1", "3/12/2021"));
    const QString seen = listed();
    EXPECT_TRUE(seen.contains(QRegularExpression("Text1_4\\s+REG_SZ\\s+Dana Hollis\\s")))
        << qPrintable(seen);
    EXPECT_TRUE(seen.contains(QRegularExpression("DateTimePicker1\\s+REG_SZ\\s+3/12/2021\\s")));

    const wchar_t earlier[] = L"@Variant(as stored, before us)";
    put(L"Text1_5", REG_SZ, earlier, sizeof earlier);
    EXPECT_EQ(stored("Text1_5"), "@Variant(as stored, before us)");
}

TEST_F(RegistrySettingsTest, AValueThatIsNoTextReadsAsTheDefaultAndIsReplaced) {
    const BYTE junk[] = {0x00, 0xff, 0x13};
    const DWORD number = 42;
    put(L"Text1_2", REG_BINARY, junk, sizeof junk);
    put(L"Text1_3", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(stored("Text1_2"), "default");
    EXPECT_EQ(stored("Text1_3"), "default");
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_2", "Harbor News"));
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_3", "42"));
    EXPECT_EQ(typeOf(L"Text1_2") + typeOf(L"Text1_3"), DWORD(2 * REG_SZ));
    EXPECT_EQ(stored("Text1_3"), "42");
}

TEST_F(RegistrySettingsTest, AKeyThatRefusesWritesFailsThemAndStillReads) {
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_0", "kept"));
    settings().makeUnwritable(AppName, SectionName);
    EXPECT_FALSE(SaveSetting(AppName, SectionName, "Text1_0", "new"));
    EXPECT_FALSE(SaveSetting(AppName, SectionName, "Text1_1", "new"));
    EXPECT_EQ(stored("Text1_0"), "kept");
    EXPECT_EQ(SettingsStoreName(AppName, SectionName),
              "the registry key HKEY_CURRENT_USER\\Software\\VB and VBA Program "
              "Settings\\Quillmark\\Brindlecast");
}

} // namespace
} // namespace brindlecast
