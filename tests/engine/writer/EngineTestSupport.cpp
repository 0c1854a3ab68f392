#include "EngineTestSupport.h"

#include "NewsletterTemplate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace brindlecast::testing {

namespace {

struct Shared {
    std::unique_ptr<PrivateFolders> environment;
    fakes::FakeClipboard clipboard;
    std::unique_ptr<writer::WriterEngine> engine;
    QString templatePath;
};

Shared& shared() {
    static Shared state;
    return state;
}

// Ends the shared engine after the last test and checks that nothing of it is left running.
class SharedEngineEnvironment final : public ::testing::Environment {
public:
    void TearDown() override {
        Shared& state = shared();
        if (!state.engine)
            return;
        const pid_t pid = state.engine->processId();
        state.engine.reset();
        EXPECT_FALSE(processRuns(pid)) << "engine process " << pid << " outlived its engine";
        EXPECT_TRUE(processesOf({pid}).empty());
        state.environment.reset();
    }
};

[[maybe_unused]] ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new SharedEngineEnvironment);

} // namespace

QString toolOutput(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

writer::WriterEngine& sharedEngine() {
    Shared& state = shared();
    if (!state.engine) {
        // Its own folder for the engine's whole life: the tests' folders come and go.
        state.environment = std::make_unique<PrivateFolders>();
        state.engine = std::make_unique<writer::WriterEngine>(state.clipboard);
        state.engine->createApplication();
    }
    return *state.engine;
}

pid_t sharedEnginePid() {
    return shared().engine ? shared().engine->processId() : 0;
}

fakes::FakeClipboard& sharedClipboard() {
    return shared().clipboard;
}

void makeNewsletterTemplate(Engine& engine, const QString& fodtPath, const QString& dotPath) {
    QFile fodt(fodtPath);
    if (!fodt.open(QIODevice::WriteOnly) || fodt.write(newsletterTemplateFodt().toUtf8()) < 0)
        throw std::runtime_error("cannot write the test template");
    fodt.close();
    const auto application = engine.createApplication();
    writer::exportDocument(application->open(fodtPath, true), dotPath,
                           QStringLiteral("MS Word 97 Vorlage"));
    application->quit();
}

QString newsletterTemplatePath() {
    Shared& state = shared();
    if (state.templatePath.isEmpty()) {
        writer::WriterEngine& engine = sharedEngine();
        const QString folder = state.environment->root(QStringLiteral("template"));
        QDir().mkpath(folder);
        makeNewsletterTemplate(engine, folder + QStringLiteral("/newsletter.fodt"),
                               folder + QStringLiteral("/newsletter.dot"));
        state.templatePath = folder + QStringLiteral("/newsletter.dot");
    }
    return state.templatePath;
}

QStringList documentTexts(Document& document) {
    QStringList texts;
    for (Range* story : document.storyRanges())
        texts << writer::rangeText(*story);
    for (Shape* shape : document.shapes()) {
        if (shape->hasText())
            texts << writer::rangeText(shape->textRange());
    }
    return texts;
}

QString independentText(const QString& docPath) {
    // Both without line wrapping, so that long values stay in one piece.
    return toolOutput(QStringLiteral("catdoc"), {QStringLiteral("-w"), QStringLiteral("-d"),
                                                 QStringLiteral("utf-8"), docPath}) +
           toolOutput(QStringLiteral("antiword"),
                      {QStringLiteral("-w"), QStringLiteral("0"), QStringLiteral("-m"),
                       QStringLiteral("UTF-8.txt"), docPath});
}

std::set<pid_t> processesOf(const std::set<pid_t>& groups, const std::set<pid_t>& others) {
    std::set<pid_t> found;
    const pid_t self = ::getpid();
    for (const QString& entry :
         QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const pid_t pid = pid_t(entry.toInt(&numeric));
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid pgrp ...": the name may hold blanks and parentheses.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 3)
            continue;
        const pid_t parent = pid_t(fields[1].toInt());
        const pid_t group = pid_t(fields[2].toInt());
        // The office's helpers (gpgconf, gpg and gpgsm, which it starts on opening a Word
        // document) outlive it as zombies of the system's first process, which in a container
        // may never reap them: they run no longer, and nothing of ours could reap them.
        const bool othersZombie = fields[0] == "Z" && parent != self;
        if (((parent == self && others.count(pid) == 0) || groups.count(group) > 0) &&
            !othersZombie)
            found.insert(pid);
    }
    return found;
}

bool processRuns(pid_t pid) {
    if (pid <= 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;
    return state < line.size() && line[state] != 'Z';
}

} // namespace brindlecast::testing
