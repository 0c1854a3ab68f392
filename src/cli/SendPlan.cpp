// The mail options of "brindlecast send", read and checked before anything is made.
#include "MakeValues.h"
#include "SendSteps.h"
#include "app/FileHelpers.h"
#include "mail/MailText.h"
#include "newsletter/RecipientSelection.h"
#include "newsletter/TextDecoding.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

namespace brindlecast::cli {

namespace {

constexpr qint64 MostBodyBytes = qint64(1) << 20;

QByteArray ReadFileFor(const QString& option, const QString& path, qint64 limit) {
    try {
        const InputFile input = ReadInputFile(path, limit);
        if (input.tooLarge)
            throw UsageError(
                QStringLiteral("%1 %2 is larger than %3 MiB").arg(option, path).arg(limit >> 20));
        return input.bytes;
    } catch (const InputFileError& error) {
        throw UsageError(QStringLiteral("%1: cannot read %2: %3")
                             .arg(option, path, QString::fromLocal8Bit(error.what())));
    }
}

mail::Mailbox Address(const QString& option, const QString& text) {
    const auto mailbox = mail::ParseMailbox(text);
    if (!mailbox)
        throw UsageError(QStringLiteral("%1 %2 is not an e-mail address").arg(option, text));
    return *mailbox;
}

int Column(const ListJob& job, const QString& option, const QString& name) {
    if (const auto column = job.list.columnNamed(name))
        return *column;
    throw UsageError(QStringLiteral("%1 %2: the list has no such column (its columns: %3)")
                         .arg(option, name, DescribeColumns(job.list.columns)));
}

void RefuseUnknownNames(const QString& option, const QString& text, const ListJob& job,
                        const QString& list) {
    if (const QString trouble = mail::BlockTrouble(text); !trouble.isEmpty())
        throw UsageError(QStringLiteral("%1 has an IF block that cannot be used: %2; nothing was "
                                        "sent")
                             .arg(option, trouble));
    const MergeValues sample = RecipientValues(job.base, job.list, job.chosen.front());
    if (const QStringList unknown = mail::UnknownNames(text, sample); !unknown.isEmpty())
        throw UsageError(QStringLiteral("%1: [%2] is neither a field nor a column of %3; nothing "
                                        "was sent")
                             .arg(option, unknown.join(QStringLiteral("], [")), list));
}

QString BodyText(const QString& option, const QString& path) {
    return recipients::DecodeListText(ReadFileFor(option, path, MostBodyBytes)).text;
}

void ReadTexts(MailPlan& plan, const SendOptions& options, const ListJob& job) {
    if (options.subject.trimmed().isEmpty())
        throw UsageError(QStringLiteral("send needs --subject: the messages' subject"));
    if (options.body.isEmpty() && options.bodyHtml.isEmpty())
        throw UsageError(QStringLiteral("send needs --body FILE (plain text) or --body-html FILE: "
                                        "what the messages say"));
    plan.subject = options.subject;
    if (!options.body.isEmpty())
        plan.body = BodyText(QStringLiteral("--body"), options.body);
    if (!options.bodyHtml.isEmpty())
        plan.bodyHtml = BodyText(QStringLiteral("--body-html"), options.bodyHtml);
    const QString& list = options.make.recipients;
    RefuseUnknownNames(QStringLiteral("--subject"), plan.subject, job, list);
    RefuseUnknownNames(QStringLiteral("--body"), plan.body, job, list);
    RefuseUnknownNames(QStringLiteral("--body-html"), plan.bodyHtml, job, list);
}

void ReadAttachments(MailPlan& plan, const SendOptions& options, const ListJob& job) {
    const QMimeDatabase types;
    for (const QString& path : options.alsoAttach)
        plan.alsoAttach.push_back(
            {QFileInfo(path).fileName(), types.mimeTypeForFile(path).name().toLatin1(),
             ReadFileFor(QStringLiteral("--also-attach"), path, MostAttachmentBytes)});
    if (!options.attachColumn.isEmpty())
        plan.attachColumn = Column(job, QStringLiteral("--attach-column"), options.attachColumn);
    plan.listFolder = QFileInfo(options.make.recipients).absolutePath();
}

void ReadPace(MailPlan& plan, const SendOptions& options) {
    bool number = true;
    if (!options.rate.isEmpty())
        plan.rate = options.rate.toInt(&number);
    if (!number || plan.rate < 0 || plan.rate > 6000)
        throw UsageError(QStringLiteral("--rate %1: give messages a minute, 0 to 6000 (0: no "
                                        "pause)")
                             .arg(options.rate));
    if (!options.retryFor.isEmpty()) {
        const auto retryFor = mail::ParseDuration(options.retryFor);
        if (!retryFor)
            throw UsageError(QStringLiteral("--retry-for %1: give a time such as 30m, 2h or 90s")
                                 .arg(options.retryFor));
        plan.retryFor = *retryFor;
    }
    if (!options.testCount.isEmpty()) {
        plan.testCount = options.testCount.toInt(&number);
        if (options.testTo.isEmpty() || !number || plan.testCount < 1)
            throw UsageError(QStringLiteral("--test-count goes with --test-to and counts from 1"));
    }
}

} // namespace

QString IssueOf(const ListJob& job) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int field = 0; field < FieldCount; ++field)
        if (field < FieldIndex(RecipientField::Name) ||
            field > FieldIndex(RecipientField::CityStZip))
            hash.addData((job.values.fields[size_t(field)] + QChar(0)).toUtf8());
    hash.addData((job.base.issueDate + QChar(0)).toUtf8());
    for (const NamedValue& named : job.values.named)
        hash.addData((named.name + QChar(1) + named.value + QChar(0)).toUtf8());
    return QString::fromLatin1(hash.result().toHex().left(12));
}

MailPlan ReadMailPlan(const SendOptions& options, const mail::MailSettings& stored,
                      const ListJob& job) {
    MailPlan plan;
    const QString from = options.from.isEmpty() ? stored.from : options.from;
    if (from.isEmpty())
        throw UsageError(QStringLiteral("send needs --from \"Your Name <you@example.org>\": the "
                                        "sender (kept for the next run)"));
    plan.from = Address(QStringLiteral("--from"), from);
    if (!options.replyTo.isEmpty())
        plan.replyTo = Address(QStringLiteral("--reply-to"), options.replyTo);
    for (const QString& cc : options.cc)
        plan.cc.push_back(Address(QStringLiteral("--cc"), cc));
    for (const QString& bcc : options.bcc)
        plan.bcc.push_back(Address(QStringLiteral("--bcc"), bcc));
    if (!options.testTo.isEmpty())
        plan.testTo = Address(QStringLiteral("--test-to"), options.testTo);
    if (!options.unsubscribe.isEmpty()) {
        const QUrl url(options.unsubscribe, QUrl::StrictMode);
        if (!url.isValid() || !QStringList{"https", "http", "mailto"}.contains(url.scheme()))
            throw UsageError(QStringLiteral("--unsubscribe %1: give an https: URL or a mailto: "
                                            "address")
                                 .arg(options.unsubscribe));
        plan.unsubscribe = QString::fromLatin1(url.toEncoded());
    }
    if (!options.toColumn.isEmpty()) {
        plan.addressColumn = Column(job, QStringLiteral("--to-column"), options.toColumn);
    } else if (const auto column = EmailColumn(job.list)) {
        plan.addressColumn = *column;
    } else {
        throw UsageError(QStringLiteral("%1 has no column of e-mail addresses (Email, E-mail or "
                                        "Mail): name it with --to-column")
                             .arg(options.make.recipients));
    }
    ReadTexts(plan, options, job);
    ReadAttachments(plan, options, job);
    ReadPace(plan, options);
    plan.issue = IssueOf(job);
    const QFileInfo list(options.make.recipients);
    plan.journal = !options.journal.isEmpty()
                       ? options.journal
                       : list.absoluteDir().filePath(list.completeBaseName() + ".sent.txt");
    return plan;
}

RecipientAddress AddressOf(const MailPlan& plan, const ListJob& job, int index) {
    const QString cell = job.list.cell(index, plan.addressColumn).trimmed();
    if (cell.isEmpty())
        return {std::nullopt, QStringLiteral("no address in the %1 column")
                                  .arg(job.list.columns[size_t(plan.addressColumn)].column)};
    auto mailbox = mail::ParseMailbox(cell);
    if (!mailbox)
        return {std::nullopt, QStringLiteral("\"%1\" is not an e-mail address").arg(cell)};
    if (mailbox->name.isEmpty())
        mailbox->name = job.list.recipients[size_t(index)].name();
    return {mailbox, {}};
}

} // namespace brindlecast::cli
