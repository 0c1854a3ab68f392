#include "SendArguments.h"

namespace brindlecast::cli {

namespace {

template <typename F> void ForEach(const SendArguments& a, F f) {
    for (const QCommandLineOption* option :
         {&a.toColumn,     &a.subject, &a.body,         &a.bodyHtml,    &a.attach, &a.alsoAttach,
          &a.attachColumn, &a.from,    &a.replyTo,      &a.cc,          &a.bcc,    &a.unsubscribe,
          &a.smtp,         &a.user,    &a.passwordFile, &a.newPassword, &a.caFile, &a.testTo,
          &a.testCount,    &a.dryRun,  &a.rate,         &a.retryFor,    &a.journal})
        f(*option);
}

} // namespace

void SendArguments::addTo(QCommandLineParser& parser) const {
    ForEach(*this, [&](const QCommandLineOption& option) { parser.addOption(option); });
}

QString SendArguments::firstGiven(const QCommandLineParser& parser) const {
    QString given;
    ForEach(*this, [&](const QCommandLineOption& option) {
        if (given.isEmpty() && parser.isSet(option))
            given = QStringLiteral("--") + option.names().first();
    });
    return given;
}

SendOptions SendArguments::read(const QCommandLineParser& parser, const MakeOptions& make) const {
    SendOptions send;
    send.make = make;
    send.make.format = parser.value(attach);
    send.toColumn = parser.value(toColumn);
    send.subject = parser.value(subject);
    send.body = parser.value(body);
    send.bodyHtml = parser.value(bodyHtml);
    send.alsoAttach = parser.values(alsoAttach);
    send.attachColumn = parser.value(attachColumn);
    send.from = parser.value(from);
    send.replyTo = parser.value(replyTo);
    send.cc = parser.values(cc);
    send.bcc = parser.values(bcc);
    send.unsubscribe = parser.value(unsubscribe);
    send.smtp = parser.value(smtp);
    send.user = parser.value(user);
    send.passwordFile = parser.value(passwordFile);
    send.newPassword = parser.isSet(newPassword);
    send.caFile = parser.value(caFile);
    send.testTo = parser.value(testTo);
    send.testCount = parser.value(testCount);
    send.dryRun = parser.value(dryRun);
    send.rate = parser.value(rate);
    send.retryFor = parser.value(retryFor);
    send.journal = parser.value(journal);
    return send;
}

} // namespace brindlecast::cli
