// Each recipient's message: the subject and body filled from the recipient's values, the
// newsletter made for them and the files for everyone attached.
#include "SendSteps.h"
#include "app/FileHelpers.h"
#include "engine/SaveFormats.h"
#include "mail/MailText.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

namespace brindlecast::cli {

namespace {

QByteArray ReadAttachment(const QString& path, const QString& what) {
    try {
        const InputFile input = ReadInputFile(path, MostAttachmentBytes);
        if (input.tooLarge)
            throw std::runtime_error(QStringLiteral("%1 %2 is larger than %3 MiB")
                                         .arg(what, path)
                                         .arg(MostAttachmentBytes >> 20)
                                         .toStdString());
        return input.bytes;
    } catch (const InputFileError& error) {
        throw std::runtime_error(QStringLiteral("cannot read %1 %2: %3")
                                     .arg(what, path, QString::fromLocal8Bit(error.what()))
                                     .toStdString());
    }
}

// The recipient's own file, named in the attach column.
mail::Attachment ColumnAttachment(const MailPlan& plan, const ListJob& job, int index) {
    const QString named = job.list.cell(index, *plan.attachColumn).trimmed();
    if (named.isEmpty())
        throw std::runtime_error(QStringLiteral("no file is named in the %1 column")
                                     .arg(job.list.columns[size_t(*plan.attachColumn)].column)
                                     .toStdString());
    const QString path = QDir(plan.listFolder).filePath(named);
    return {QFileInfo(path).fileName(), QMimeDatabase().mimeTypeForFile(path).name().toLatin1(),
            ReadAttachment(path, QStringLiteral("the file"))};
}

} // namespace

mail::BuiltMessage BuildMessage(const MailPlan& plan, const ListJob& job, int index,
                                const QString& made) {
    const MergeValues values = RecipientValues(job.base, job.list, index);
    mail::MailMessage message;
    message.from = plan.from;
    if (plan.testTo) {
        message.to = {*plan.testTo};
    } else {
        const RecipientAddress address = AddressOf(plan, job, index);
        if (!address.mailbox)
            throw std::runtime_error(address.trouble.toStdString());
        message.to = {*address.mailbox};
        message.cc = plan.cc;
    }
    message.replyTo = plan.replyTo;
    message.subject = FillMailText(plan.subject, values, mail::TextKind::Plain);
    if (plan.testTo)
        message.subject.prepend(QStringLiteral("[Test] "));
    message.html = FillMailText(plan.bodyHtml, values, mail::TextKind::Html);
    message.text = plan.body.isEmpty() ? mail::HtmlAsText(message.html)
                                       : FillMailText(plan.body, values, mail::TextKind::Plain);
    const QString name = QFileInfo(RecipientOutput(job, index)).fileName();
    message.attachments.push_back({name, mail::SaveFormatMimeType(QFileInfo(name).suffix()),
                                   ReadAttachment(made, QStringLiteral("the newsletter"))});
    for (const mail::Attachment& also : plan.alsoAttach)
        message.attachments.push_back(also);
    if (plan.attachColumn)
        message.attachments.push_back(ColumnAttachment(plan, job, index));
    message.listUnsubscribe = plan.unsubscribe;
    message.messageId = mail::NewMessageId(mail::DomainOf(plan.from));
    message.date = QDateTime::currentDateTime();

    mail::BuiltMessage built;
    built.from = plan.from.address;
    for (const mail::Mailbox& to : message.to)
        built.recipients << to.address;
    if (!plan.testTo)
        for (const auto* list : {&plan.cc, &plan.bcc})
            for (const mail::Mailbox& copy : *list)
                built.recipients << copy.address;
    // The boundaries come from the Message-ID's random part: unique, letters and digits.
    built.bytes = mail::MessageBytes(message, message.messageId.mid(1, 32));
    built.messageId = message.messageId;
    return built;
}

} // namespace brindlecast::cli
