#include "Control.h"
#include "Dispatch.h"
#include "ExcelObjects.h"

#include <algorithm>

namespace standin::excel {

namespace {

constexpr long XlAutomatic = -4105;
constexpr long XlSemiautomatic = 2;

class Application final : public DispatchObject {
public:
    explicit Application(SessionPtr session)
        : DispatchObject(L"Application", members())
        , mSession(std::move(session)) {}

private:
    enum : DISPID {
        Workbooks_ = 1,
        DisplayAlerts,
        EnableEvents,
        AskToUpdateLinks,
        AutomationSecurity,
        Calculation,
        Visible,
        Quit,
        Name
    };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Workbooks_, L"Workbooks", Get},
            {DisplayAlerts, L"DisplayAlerts", Get | Put},
            {EnableEvents, L"EnableEvents", Get | Put},
            {AskToUpdateLinks, L"AskToUpdateLinks", Get | Put},
            {AutomationSecurity, L"AutomationSecurity", Get | Put},
            {Calculation, L"Calculation", Get | Put},
            {Visible, L"Visible", Get | Put},
            {Quit, L"Quit", Call},
            {Name, L"Name", Get}};
        return table;
    }

    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        Session& s = *mSession;
        switch (member.id) {
        case Workbooks_:
            return setObject(result, newWorkbooks(mSession));
        case DisplayAlerts:
            return flag(access, args, result, s.displayAlerts);
        case EnableEvents:
            return flag(access, args, result, s.enableEvents);
        case AskToUpdateLinks:
            return flag(access, args, result, s.askToUpdateLinks);
        case Visible:
            return flag(access, args, result, s.visible);
        case AutomationSecurity:
            if (access == Get)
                return setLong(result, s.automationSecurity);
            s.automationSecurity = args.number(args.value());
            if (s.automationSecurity < 1 || s.automationSecurity > 3)
                fail(5, L"Invalid procedure call or argument");
            return;
        case Calculation:
            return calculation(access, args, result);
        case Quit:
            return quit();
        case Name:
            return setString(result, L"Microsoft Excel");
        }
    }

    static void flag(Access access, Args& args, VARIANT& result, bool& value) {
        if (access == Get)
            return setBool(result, value);
        value = args.flag(args.value());
    }

    // Excel takes a calculation mode only while a workbook is open.
    void calculation(Access access, Args& args, VARIANT& result) {
        if (access == Get)
            return setLong(result, mSession->calculation);
        const long mode = args.number(args.value());
        if (mSession->books.empty() ||
            (mode != XlManual && mode != XlAutomatic && mode != XlSemiautomatic))
            fail(1004, L"Unable to set the Calculation property of the Application class");
        mSession->calculation = mode;
    }

    void quit() {
        if (mSession->displayAlerts)
            for (const BookPtr& book : mSession->books)
                if (!book->saved)
                    finding(L"Quit with the changed " + book->name() +
                            L" open: Excel asks whether to save it");
        for (const BookPtr& book : mSession->books)
            book->closed = true;
        mSession->books.clear();
        DispatchObject::markQuit();
        quitRequested();
    }

    SessionPtr mSession;
};

} // namespace

IDispatch* newApplication(SessionPtr session) {
    return new Application(std::move(session));
}

} // namespace standin::excel
