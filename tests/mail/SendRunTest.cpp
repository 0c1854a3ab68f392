// The sending loop on a clock of the test's own: the pace, the retries of what the server puts
// off, a connection that fails, a broken server and a stop, against a scripted transport.
#include "mail/SendRun.h"

#include <gtest/gtest.h>
#include <map>

namespace brindlecast::mail {
namespace {

using namespace std::chrono_literals;

// Answers each recipient from a script (one answer per try, the last repeated), noting when.
class ScriptedTransport final : public MailTransport {
public:
    Delivery send(const QString&, const QStringList& recipients, const QByteArray&) override {
        const QString to = recipients.front();
        tries.emplace_back(to, now);
        std::vector<Delivery>& answers = script[to];
        if (answers.empty())
            return {Delivery::Kind::Accepted, 250, "250 OK"};
        const Delivery answer = answers.front();
        if (answers.size() > 1)
            answers.erase(answers.begin());
        return answer;
    }
    std::map<QString, std::vector<Delivery>> script;
    std::vector<std::pair<QString, Clock::time_point>> tries;
    Clock::time_point now{};
};

class SendRunTest : public ::testing::Test {
protected:
    SendResult run(int count, int perMinute, std::chrono::seconds retryFor) {
        Pace pace(perMinute);
        const RetryPlan plan(retryFor);
        SendHooks hooks;
        hooks.now = [&] { return transport.now; };
        hooks.waitUntil = [&](Clock::time_point until) {
            if (stopAt && until >= *stopAt)
                return false;
            transport.now = std::max(transport.now, until);
            return true;
        };
        hooks.stopping = [] { return false; };
        hooks.build = [&](int position) {
            ++builds[position];
            if (position == unbuildable)
                throw std::runtime_error("the attachment is gone");
            return BuiltMessage{"me@example.org", {address(position)}, "bytes", "<id>"};
        };
        hooks.settled = [&](int position, const BuiltMessage&, const Delivery& delivery) {
            settled.emplace_back(position, delivery.code);
            if (position == unrecordable)
                throw std::runtime_error("cannot write the journal");
        };
        hooks.deferred = [&](int, const Delivery&, Clock::duration pause) {
            pauses.push_back(pause);
        };
        return SendAll(transport, count, pace, plan, hooks);
    }
    static QString address(int position) { return QStringLiteral("r%1@example.org").arg(position); }
    static Delivery answer(int code) {
        return {code >= 500 ? Delivery::Kind::Refused : Delivery::Kind::Deferred, code,
                QString::number(code)};
    }

    ScriptedTransport transport;
    std::map<int, int> builds;
    std::vector<std::pair<int, int>> settled;
    std::vector<Clock::duration> pauses;
    std::optional<Clock::time_point> stopAt;
    int unbuildable = -1, unrecordable = -1;
};

TEST_F(SendRunTest, ThePaceSpacesEveryTryAndAPutOffMessageWaitsWhileTheOthersGo) {
    transport.script[address(1)] = {answer(451), answer(451), answer(250)};
    transport.script[address(1)].back() = {Delivery::Kind::Accepted, 250, "250 OK"};
    transport.script[address(2)] = {answer(550)};
    const SendResult result = run(4, 20, 30min);

    EXPECT_EQ(result.sent, (std::vector<int>{0, 3, 1}));
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].second.code, 550);
    // Every try, refused ones too, a whole interval (60 s / 20) after the one before.
    for (size_t i = 1; i < transport.tries.size(); ++i)
        EXPECT_GE(transport.tries[i].second - transport.tries[i - 1].second, 3s);
    // 30 minutes allowed: the first pause is 30 s, the second twice that.
    EXPECT_EQ(pauses, (std::vector<Clock::duration>{30s, 60s}));
    EXPECT_EQ(builds[1], 1) << "a message is built once, however often it is tried";
    EXPECT_EQ(transport.tries[1].first, address(1));
    EXPECT_EQ(transport.tries[2].first, address(2)) << "the others go on meanwhile";
}

TEST_F(SendRunTest, PutOffForLongerThanAllowedIsLeftForLaterAndTheRestIsSent) {
    transport.script[address(0)] = {answer(421)};
    unbuildable = 2;
    const SendResult result = run(3, 0, 2min);
    EXPECT_EQ(result.sent, std::vector<int>{1});
    ASSERT_EQ(result.leftForLater.size(), 1u);
    EXPECT_EQ(result.leftForLater[0].first, 0);
    EXPECT_EQ(result.notSent.size(), 1u);
    // 2 minutes: pauses of 2 s, 4 s, ... none over 30 s, the last try within the 2 minutes.
    ASSERT_GE(pauses.size(), 3u);
    EXPECT_EQ(pauses[0], 2s);
    EXPECT_EQ(pauses.back(), 30s);
    EXPECT_LT(transport.tries.back().second - transport.tries.front().second, 2min + 30s);
}

TEST_F(SendRunTest, WithoutAConnectionEveryMessageWaitsAndABrokenServerStopsTheRun) {
    transport.script[address(0)] = {answer(0), answer(0), {Delivery::Kind::Accepted, 250, "OK"}};
    transport.script[address(2)] = {{Delivery::Kind::Broken, 535, "password refused"}};
    const SendResult result = run(4, 0, 30min);
    EXPECT_EQ(result.sent, (std::vector<int>{0, 1}));
    EXPECT_EQ(result.stopped, "password refused");
    ASSERT_EQ(result.leftForLater.size(), 2u);
    EXPECT_EQ(result.leftForLater[0].first, 2);
    // Two failed connections: the same message tried again first, after 30 s and 60 s.
    EXPECT_EQ(transport.tries[1].first, address(0));
    EXPECT_EQ(transport.tries[1].second - transport.tries[0].second, 30s);
    EXPECT_EQ(transport.tries[2].second - transport.tries[1].second, 60s);
}

TEST_F(SendRunTest, AStopOrAJournalThatCannotBeWrittenEndsTheRunAfterTheMessageInFlight) {
    stopAt = Clock::time_point{} + 7s; // a Ctrl+C during the pause before the fourth message
    SendResult result = run(5, 20, 30min);
    EXPECT_EQ(result.sent, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(result.leftForLater.size(), 2u);

    ScriptedTransport fresh;
    transport = fresh;
    settled.clear();
    stopAt.reset();
    unrecordable = 1;
    result = run(4, 0, 30min);
    EXPECT_EQ(transport.tries.size(), 2u) << "nothing is sent once the journal fails";
    EXPECT_EQ(result.stopped, "cannot write the journal");
    EXPECT_EQ(result.leftForLater.size(), 2u);
}

} // namespace
} // namespace brindlecast::mail
