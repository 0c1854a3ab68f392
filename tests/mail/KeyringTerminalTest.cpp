// A password asked for on a terminal, without showing it, kept in the keyring when the user
// says so, and found there by the next run, which has no terminal: the program on a
// pseudo-terminal of the test's, against a real mail server.
#include "MailServer.h"
#include "cli/CommandTest.h"

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brindlecast {
namespace {

using testing::MailServer;

class KeyringTerminalTest : public testing::CommandTest {
protected:
    // Runs the program on a terminal; answers each prompt that appears with its answer. Returns
    // what the terminal showed and the exit code.
    std::pair<QByteArray, int>
    onTerminal(const QStringList& arguments,
               const std::vector<std::pair<QByteArray, QByteArray>>& answers) {
        std::vector<QByteArray> owned{QByteArray(BRINDLECAST_PROGRAM)};
        for (const QString& argument : arguments)
            owned.push_back(argument.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& argument : owned)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        int terminal = -1;
        const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            if (::chdir(QFile::encodeName(root()).constData()) == 0)
                ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        QByteArray shown;
        size_t next = 0;
        for (;;) {
            pollfd ready{terminal, POLLIN, 0};
            if (::poll(&ready, 1, 60000) <= 0) {
                // A program still waiting a minute on: it lost an answer. Ended here, so that
                // the wait below cannot hang the suite.
                ADD_FAILURE() << "the program stopped answering; it showed:\n" << shown.constData();
                ::kill(child, SIGKILL);
                break;
            }
            char buffer[4096];
            const ssize_t n = ::read(terminal, buffer, sizeof buffer);
            if (n <= 0)
                break;
            shown.append(buffer, n);
            if (next < answers.size() && shown.contains(answers[next].first)) {
                const QByteArray& answer = answers[next++].second;
                EXPECT_EQ(::write(terminal, answer.constData(), size_t(answer.size())),
                          answer.size());
            }
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(terminal);
        return {shown, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }
};

TEST_F(KeyringTerminalTest, APasswordTypedOnceIsKeptAndTheNextRunFindsIt) {
    writeAll(root("list.csv"), "Name,Email\nDana Hollis,dana@example.org\n");
    writeAll(root("body.txt"), "Hello [Name].\n");
    MailServer server(root("server"), {});
    const QStringList arguments{"send",         "--no-stored",
                                "--recipients", "list.csv",
                                "--subject",    "News",
                                "--body",       "body.txt",
                                "--from",       "news@example.org",
                                "--smtp",       server.url(),
                                "--user",       "dana",
                                "--ca-file",    MailServer::Authority(),
                                "--test-to",    "me@example.org"};
    // Both answers typed the moment the first question shows, as a quick typist or a paste
    // does: neither may be lost to the switching of the echo.
    const auto [shown, code] = onTerminal(arguments, {{"Password for dana at ", "secret\ny\n"}});
    EXPECT_EQ(code, 0) << shown.constData();
    EXPECT_FALSE(shown.contains("secret")) << "the password was shown as it was typed";
    EXPECT_EQ(server.messages().size(), 1);

    // No terminal now: the keyring has the password.
    const testing::Outcome again = run(arguments);
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(server.messages().size(), 2);
    EXPECT_EQ(server.log().count("LOGIN refused"), 0);
}

} // namespace
} // namespace brindlecast
