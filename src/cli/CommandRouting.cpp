// Which arguments start a window and which the command line, decided before either exists.
#include "CommandLine.h"

#include <QDir>

namespace brindlecast::cli {

namespace {

const QString MailMergeCommand = QStringLiteral("mail-merge");

// Qt reads these wherever they stand and takes them out before the program sees its arguments.
// Each takes the next argument as its value unless it is given as -name=value.
const QStringList& WindowOptionsWithValue() {
    static const QStringList names =
        QStringLiteral("platform platformpluginpath platformtheme plugin qwindowgeometry "
                       "qwindowtitle qwindowicon session style stylesheet display geometry "
                       "title name visual")
            .split(QLatin1Char(' '));
    return names;
}

const QStringList& WindowSwitches() {
    static const QStringList names =
        QStringLiteral("reverse widgetcount nograb dograb sync").split(QLatin1Char(' '));
    return names;
}

} // namespace

QStringList WithoutWindowOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            kept.append(argument);
            continue;
        }
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString bare = name.section(QLatin1Char('='), 0, 0);
        if (WindowOptionsWithValue().contains(bare)) {
            if (!name.contains(QLatin1Char('=')))
                ++i;
        } else if (!WindowSwitches().contains(bare)) {
            kept.append(argument);
        }
    }
    return kept;
}

std::optional<QString> MailMergeRequest(const QStringList& arguments) {
    const QStringList words = WithoutWindowOptions(arguments);
    if (words.size() < 2 || words.size() > 3 || words[1] != MailMergeCommand)
        return std::nullopt;
    if (words.size() == 2)
        return QString();
    // An option, or a name that names nothing, is a usage error for the command line to say.
    const QString& list = words[2];
    if (list.isEmpty() || list.startsWith(QLatin1Char('-')))
        return std::nullopt;
    return QDir::cleanPath(QDir::current().absoluteFilePath(list));
}

bool WantsCommandLine(int argc, const char* const argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return WithoutWindowOptions(arguments).size() > 1 && !MailMergeRequest(arguments);
}

} // namespace brindlecast::cli
