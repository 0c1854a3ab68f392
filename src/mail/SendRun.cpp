#include "SendRun.h"

#include <algorithm>
#include <deque>
#include <optional>

namespace brindlecast::mail {

namespace {

struct Waiting {
    int position = 0;
    std::optional<BuiltMessage> built = std::nullopt;
    int refusals = 0;
    Clock::time_point firstRefusal = {};
    Clock::time_point notBefore = Clock::time_point::min();
};

class Run {
public:
    Run(MailTransport& transport, Pace& pace, const RetryPlan& plan, const SendHooks& hooks)
        : mTransport(transport)
        , mPace(pace)
        , mPlan(plan)
        , mHooks(hooks) {}

    SendResult run(int count) {
        for (int position = 0; position < count; ++position)
            mQueue.push_back({position});
        while (!mQueue.empty() && mResult.stopped.isEmpty() && !mHooks.stopping())
            if (!step())
                break;
        for (const Waiting& waiting : mQueue)
            mResult.leftForLater.emplace_back(waiting.position, mResult.stopped.isEmpty()
                                                                    ? QStringLiteral("stopped")
                                                                    : mResult.stopped);
        return mResult;
    }

private:
    // Sends the next message that is due, or waits for one; false when the wait was cut short.
    bool step() {
        const Clock::time_point now = mHooks.now();
        auto due = std::find_if(mQueue.begin(), mQueue.end(),
                                [&](const Waiting& waiting) { return waiting.notBefore <= now; });
        if (due == mQueue.end()) {
            const auto earliest = std::min_element(
                mQueue.begin(), mQueue.end(),
                [](const Waiting& a, const Waiting& b) { return a.notBefore < b.notBefore; });
            return mHooks.waitUntil(earliest->notBefore);
        }
        if (const Clock::time_point slot = std::max(mPace.next(), mHeldUntil); slot > now)
            return mHooks.waitUntil(slot);
        Waiting waiting = std::move(*due);
        mQueue.erase(due);
        if (!waiting.built) {
            try {
                waiting.built = mHooks.build(waiting.position);
            } catch (const std::exception& error) {
                mResult.notSent.emplace_back(waiting.position,
                                             QString::fromLocal8Bit(error.what()));
                return true;
            }
        }
        const BuiltMessage& built = *waiting.built;
        const Delivery delivery = mTransport.send(built.from, built.recipients, built.bytes);
        mPace.sentAt(mHooks.now());
        settle(std::move(waiting), delivery);
        return true;
    }

    void settle(Waiting waiting, const Delivery& delivery) {
        const Clock::time_point now = mHooks.now();
        switch (delivery.kind) {
        case Delivery::Kind::Accepted:
        case Delivery::Kind::Refused:
            mConnectionTroubles = 0;
            if (delivery.kind == Delivery::Kind::Accepted)
                mResult.sent.push_back(waiting.position);
            else
                mResult.refused.emplace_back(waiting.position, delivery);
            try {
                mHooks.settled(waiting.position, *waiting.built, delivery);
            } catch (const std::exception& error) {
                mResult.stopped = QString::fromLocal8Bit(error.what());
            }
            return;
        case Delivery::Kind::Broken:
            mResult.stopped = delivery.words;
            mQueue.push_front(std::move(waiting));
            return;
        case Delivery::Kind::Deferred:
            break;
        }
        if (delivery.code == 0) {
            // No connection: no other message would fare better, so all of them wait.
            if (mConnectionTroubles++ == 0)
                mFirstConnectionTrouble = now;
            if (!mPlan.allows(mFirstConnectionTrouble, now)) {
                mResult.stopped = delivery.words;
                mQueue.push_front(std::move(waiting));
                return;
            }
            mHeldUntil = now + mPlan.pause(mConnectionTroubles);
            mHooks.deferred(waiting.position, delivery, mHeldUntil - now);
            mQueue.push_front(std::move(waiting));
            return;
        }
        if (waiting.refusals++ == 0)
            waiting.firstRefusal = now;
        if (!mPlan.allows(waiting.firstRefusal, now)) {
            mResult.leftForLater.emplace_back(waiting.position, delivery.words);
            return;
        }
        const Clock::duration pause = mPlan.pause(waiting.refusals);
        waiting.notBefore = now + pause;
        mHooks.deferred(waiting.position, delivery, pause);
        mQueue.push_back(std::move(waiting));
    }

    MailTransport& mTransport;
    Pace& mPace;
    const RetryPlan& mPlan;
    const SendHooks& mHooks;
    std::deque<Waiting> mQueue;
    SendResult mResult;
    Clock::time_point mHeldUntil = Clock::time_point::min();
    int mConnectionTroubles = 0;
    Clock::time_point mFirstConnectionTrouble = {};
};

} // namespace

SendResult SendAll(MailTransport& transport, int count, Pace& pace, const RetryPlan& plan,
                   const SendHooks& hooks) {
    return Run(transport, pace, plan, hooks).run(count);
}

} // namespace brindlecast::mail
