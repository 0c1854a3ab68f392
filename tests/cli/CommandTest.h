#pragma once

// The command line as a script uses it: the program itself, without a display, on the real
// engine; what it makes is read back with independent tools.
#include "newsletter/FieldTable.h"
#include "support/Isolated.h"

#include <QProcess>
#include <QRegularExpression>

namespace brindlecast::testing {

struct Outcome {
    int code = -1;
    QString out, err;
};

class CommandTest : public Isolated {
protected:
    static QProcessEnvironment withoutDisplay() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        return environment;
    }
    // Starts "brindlecast make ARGUMENTS" (or another command) in the test's folder.
    void start(QProcess& process, const QStringList& arguments,
               const QString& program = BRINDLECAST_PROGRAM) {
        process.setProcessEnvironment(withoutDisplay());
        process.setWorkingDirectory(root());
        process.start(program, arguments);
    }
    Outcome run(const QStringList& arguments, const QString& program = BRINDLECAST_PROGRAM) {
        QProcess process;
        start(process, arguments, program);
        EXPECT_TRUE(process.waitForFinished(180000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    Outcome make(const QStringList& arguments, const QString& program = BRINDLECAST_PROGRAM) {
        return run(QStringList{"make"} + arguments, program);
    }
    static QString tool(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // What an independent reader shows of a made file.
    static QString textOf(const QString& path) {
        if (path.endsWith(".doc"))
            return tool("antiword", {"-w", "0", path});
        if (path.endsWith(".pdf"))
            return tool("pdftotext", {"-layout", path, "-"});
        const QString parts = path.endsWith(".docx") ? "word/*.xml" : "*.xml";
        return tool("unzip", {"-p", path, parts}).remove(QRegularExpression("<[^>]*>"));
    }
    static void expectNoPlaceholder(const QString& text, const QString& where) {
        for (const FieldSpec& field : Fields())
            EXPECT_FALSE(text.contains(QLatin1String(field.tag), Qt::CaseInsensitive))
                << field.tag << " left in " << where.toStdString();
    }
};

} // namespace brindlecast::testing
