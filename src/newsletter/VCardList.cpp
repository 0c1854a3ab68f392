#include "RecipientReaders.h"
#include "VCardLines.h"

#include <QHash>
#include <optional>

namespace brindlecast::recipients {

namespace {

QString Component(const QStringList& components, int index) {
    return index < components.size() ? components[index].trimmed() : QString();
}

struct Card {
    int line = 0;
    QString fullName;
    QStringList name; // N: family; given; additional; prefixes; suffixes
    QString organization;
    std::vector<QStringList> addresses; // ADR: box; extended; street; locality; region; code
    std::vector<QStringList> workAddresses;
    /// Each property's first value, as its column's cell.
    QHash<QString, QString> cells = {};
};

// A property's value as one text for a person: N in the order a name is said, the parts of
// any other that has parts (ADR, ORG) joined with commas.
QString CellText(const VCardProperty& property) {
    const QStringList parts = property.components();
    if (property.name == QLatin1String("N"))
        return JoinFilled({Component(parts, 3), Component(parts, 1), Component(parts, 2),
                           Component(parts, 0), Component(parts, 4)},
                          QStringLiteral(" "));
    if (property.name == QLatin1String("FN"))
        return parts.join(QLatin1Char(';')).trimmed();
    return JoinFilled(parts, QStringLiteral(", "));
}

// The work address when the card has one: the recipient block sits under a company name.
// Otherwise the card's first address.
std::optional<QStringList> ChosenAddress(const Card& card) {
    if (!card.workAddresses.empty())
        return card.workAddresses.front();
    if (!card.addresses.empty())
        return card.addresses.front();
    return std::nullopt;
}

Recipient ToRecipient(const Card& card, bool* usedN) {
    Recipient recipient;
    recipient.line = card.line;
    auto& values = recipient.values;
    values[0] = card.fullName;
    if (values[0].isEmpty()) {
        values[0] =
            JoinFilled({Component(card.name, 3), Component(card.name, 1), Component(card.name, 2),
                        Component(card.name, 0), Component(card.name, 4)},
                       QStringLiteral(" "));
        *usedN |= !values[0].isEmpty();
    }
    values[1] = card.organization;
    if (const auto address = ChosenAddress(card)) {
        values[2] =
            JoinFilled({Component(*address, 2), Component(*address, 1)}, QStringLiteral(", "));
        values[3] =
            JoinFilled({Component(*address, 3), Component(*address, 4), Component(*address, 5)},
                       QStringLiteral(" "));
    }
    return recipient;
}

void Take(Card& card, const VCardProperty& property) {
    const QStringList components = property.components();
    if (!card.cells.contains(property.name))
        card.cells.insert(property.name, CellText(property));
    if (property.name == QLatin1String("FN") && card.fullName.isEmpty()) {
        // FN is one text; only a stray unescaped ';' would split it.
        card.fullName = components.join(QLatin1Char(';')).trimmed();
    } else if (property.name == QLatin1String("N") && card.name.isEmpty()) {
        card.name = components;
    } else if (property.name == QLatin1String("ORG") && card.organization.isEmpty()) {
        card.organization = Component(components, 0);
    } else if (property.name == QLatin1String("ADR")) {
        if (JoinFilled(components.mid(1, 5), {}).trimmed().isEmpty())
            return;
        card.addresses.push_back(components);
        if (property.types().contains(QLatin1String("work")))
            card.workAddresses.push_back(components);
    }
}

std::vector<ColumnUse> Uses(const QStringList& seen, bool usedN) {
    std::vector<ColumnUse> uses;
    for (const QString& name : seen) {
        ColumnUse use{name, {}};
        if (name == QLatin1String("FN") || (name == QLatin1String("N") && usedN))
            use.fields = {RecipientField::Name};
        else if (name == QLatin1String("ORG"))
            use.fields = {RecipientField::Company};
        else if (name == QLatin1String("ADR"))
            use.fields = {RecipientField::Street, RecipientField::CityStZip};
        uses.push_back(use);
    }
    return uses;
}

bool Is(const VCardProperty& property, const char* name, const char* value) {
    return property.name == QLatin1String(name) &&
           property.value.trimmed().compare(QLatin1String(value), Qt::CaseInsensitive) == 0;
}

QString Unterminated(int line) {
    return QStringLiteral("the vCard that starts at line %1 has no END:VCARD").arg(line);
}

} // namespace

RecipientList ReadVCards(const QString& text) {
    RecipientList list;
    list.format = RecipientFormat::VCard;
    std::optional<Card> card;
    std::vector<Card> cards;
    QStringList seen;
    bool usedN = false;
    for (const VCardProperty& property : ReadProperties(text)) {
        if (Is(property, "BEGIN", "VCARD")) {
            if (card)
                throw RecipientListError(Unterminated(card->line), card->line);
            card = Card{property.line, {}, {}, {}, {}, {}, {}};
        } else if (Is(property, "END", "VCARD")) {
            if (card) {
                list.recipients.push_back(ToRecipient(*card, &usedN));
                cards.push_back(std::move(*card));
            }
            card.reset();
        } else if (card) {
            if (property.name != QLatin1String("VERSION") && !seen.contains(property.name))
                seen.append(property.name);
            Take(*card, property);
        }
    }
    if (card)
        throw RecipientListError(Unterminated(card->line), card->line);
    if (list.recipients.empty())
        throw RecipientListError(QStringLiteral("the list holds no vCard (no BEGIN:VCARD line)"));
    list.columns = Uses(seen, usedN);
    // The columns are known only once every card is read.
    for (size_t i = 0; i < cards.size(); ++i)
        for (const QString& name : seen)
            list.recipients[i].cells.append(cards[i].cells.value(name));
    return list;
}

} // namespace brindlecast::recipients
