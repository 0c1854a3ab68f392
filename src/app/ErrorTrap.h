#pragma once

#include "MessageBoxes.h"

#include <QString>
#include <exception>
#include <utility>

namespace brindlecast {

inline constexpr const char* SupportEmail = "support@quillmark.example";

/// The text of the error box for a failure of `form`.`procedure` at `line`.
QString ErrorBoxText(const QString& description, const QString& form, const QString& procedure,
                     int line);

/// The description a caught exception carries.
QString DescribeCurrentException();

/// Runs a handler as numbered steps: a step that throws shows exactly one error box naming the
/// procedure and the step's line, and the handler goes on with its next step.
///
///     Trap trap{boxes, "Form1", "PushButton6_Click"};
///     trap.step(10, [&] { ... });
class Trap {
public:
    Trap(MessageBoxes& boxes, QString form, QString procedure)
        : mBoxes(boxes)
        , mForm(std::move(form))
        , mProcedure(std::move(procedure)) {}

    /// Returns true when the step ran to its end.
    template <class F> bool step(int line, F&& body) {
        try {
            std::forward<F>(body)();
            return true;
        } catch (...) {
            report(line, DescribeCurrentException());
            return false;
        }
    }

    /// Shows the error box for `line` with `description`.
    void report(int line, const QString& description);

    int failures() const { return mFailures; }

private:
    MessageBoxes& mBoxes;
    QString mForm;
    QString mProcedure;
    int mFailures = 0;
};

} // namespace brindlecast
