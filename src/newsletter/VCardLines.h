#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The syntax of vCard text: content lines, parameters and escaped values. Internal to the
// newsletter library.
namespace brindlecast::recipients {

struct VCardProperty {
    QString name; // upper case, without its group ("item1.ADR" gives "ADR")
    std::vector<std::pair<QString, QString>> params; // upper-case name, value
    QString value; // as written: escapes and any quoted-printable coding still in
    int line = 0;  // where its content line starts

    /// The TYPE values, also vCard 2.1's bare ones ("ADR;WORK;PREF:"), in lower case.
    QStringList types() const;
    /// The value's components (split at ';'), decoded and unescaped.
    QStringList components() const;
};

/// The properties of the text in order, folded lines joined; lines without a colon are skipped.
std::vector<VCardProperty> ReadProperties(const QString& text);

} // namespace brindlecast::recipients
