#include "RecipientExpect.h"
#include "newsletter/Recipients.h"

namespace brindlecast {
namespace {

using testing::ExpectRecipients;

// An address-book export as such programs write it: folded lines, grouped properties,
// parameters, escapes, several versions and line ends in one file.
const QByteArray Export =
    // 1: vCard 3.0 with CRLF; a home address before the work address
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Example//Contacts 1.0//EN\r\n"
    "N:Hollis;Dana;J.;Ms.;\r\n"
    "FN:Dana J. Hol\r\n"
    " lis\r\n"
    "ORG:Quill\\, Mark & Co.;Sales\r\n"
    "item1.EMAIL;type=INTERNET;type=pref:dana@quillmark.example\r\n"
    "item2.ADR;type=HOME:;;1 Elm St;Burlington;VT;05402;USA\r\n"
    "item3.ADR;type=WORK;type=pref:;Suite 5;41 Harbor View Rd\\nBuilding B;Millbrook;VT;\r\n"
    " 05401;USA\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD\r\n"
    "  /2wBDAAgGBgcGBQgHBwcJCQgKDA\r\n"
    "END:VCARD\r\n"
    "\r\n"
    // 16: vCard 4.0 in lower case with LF, no FN, a quoted parameter holding a colon
    "begin:vcard\n"
    "version:4.0\n"
    "n:Iziva;Vered;;;\n"
    "org:Devuvad\n"
    "adr;type=\"home,postal\";label=\"912 Stratford Ct\\nDel Mar: CA\":;;912 Stratford Ct;Del "
    "Mar;CA;92014;\n"
    "tel;type=work:555-010-4401\n"
    "note:Back\\\\slash\\; semicolon\n"
    "end:vcard\n"
    // 24: vCard 2.1, quoted-printable with a soft line break, bare type values
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ren=C3=A9e M=C3=\n"
    "=BCller\n"
    "ADR;WORK;PREF:;;Hauptstr. 1;Berlin;;10115;\n"
    "END:VCARD\n"
    // 30: a company card folded with a tab; addresses with nothing usable are passed over
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "FN:Devuvad\\, Inc. \\\\ Legal\n"
    "\t Dept\n"
    "ORG:Devuvad\\; Legal;\n"
    "ADR;TYPE=work:;;;;;;Canada\n"
    "END:VCARD\n";

TEST(VCardList, ReadsAnAddressBookExport) {
    const RecipientList list = ParseRecipients(Export, QStringLiteral("contacts.vcf"));
    EXPECT_EQ(list.format, RecipientFormat::VCard);
    ExpectRecipients(list, {{1, "Dana J. Hollis", "Quill, Mark & Co.",
                             "41 Harbor View Rd\nBuilding B, Suite 5", "Millbrook VT 05401"},
                            {16, "Vered Iziva", "Devuvad", "912 Stratford Ct", "Del Mar CA 92014"},
                            {24, "Renée Müller", "", "Hauptstr. 1", "Berlin 10115"},
                            {30, "Devuvad, Inc. \\ Legal Dept", "Devuvad; Legal", "", ""}});
    EXPECT_EQ(DescribeColumns(list.columns),
              "used: N (RecipientName), FN (RecipientName), ORG (CompanyName2), ADR "
              "(StreetAddress2, CitySTZIP2); ignored: PRODID, EMAIL, PHOTO, TEL, NOTE");
}

TEST(VCardList, NamesTheNameWhenNoCardNeedsIt) {
    const RecipientList list = ParseRecipients("\xEF\xBB\xBF\r\nBEGIN:VCARD\r\nN:Hollis;Dana\r\n"
                                               "FN:D. Hollis\r\nEND:VCARD\r\n");
    ExpectRecipients(list, {{2, "D. Hollis", "", "", ""}});
    EXPECT_EQ(DescribeColumns(list.columns), "used: FN (RecipientName); ignored: N");
}

} // namespace
} // namespace brindlecast
