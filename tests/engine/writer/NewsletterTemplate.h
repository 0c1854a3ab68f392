#pragma once

#include <QString>

namespace brindlecast::testing {

/// The start of a Flat ODF text document, with every namespace the tests' documents use.
inline QString fodtStart() {
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"
 xmlns:ooo="http://openoffice.org/2004/office"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">)");
}

// A small newsletter template in Flat ODF: every kind of story a real template uses (main text,
// a table cell, a page header with a page number field, a footnote, a text frame, a text box that
// becomes a drawing shape, a drawing shape with text), a bookmark and a formatting change inside
// placeholders, the placeholders in the spellings the real templates have, and the bracketed
// texts that no field fills.
inline QString newsletterTemplateFodt() {
    return fodtStart() + QStringLiteral(R"(
 <office:styles>
  <style:style style:name="Standard" style:family="paragraph">
   <style:text-properties fo:font-size="12pt" style:font-name="Liberation Serif"/>
  </style:style>
  <style:style style:name="Frame" style:family="graphic"/>
 </office:styles>
 <office:automatic-styles>
  <style:style style:name="Bold" style:family="text">
   <style:text-properties fo:font-weight="bold"/>
  </style:style>
  <style:style style:name="fr1" style:family="graphic" style:parent-style-name="Frame">
   <style:graphic-properties style:wrap="none" fo:border="0.5pt solid #000000"/>
  </style:style>
  <style:style style:name="gr1" style:family="graphic">
   <style:graphic-properties draw:fill="none" draw:stroke="solid" style:wrap="none"/>
  </style:style>
  <style:page-layout style:name="pm1">
   <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"
    fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/>
   <style:header-style/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Standard" style:page-layout-name="pm1">
   <style:header><text:p>[NLTITLE] - page <text:page-number text:select-page="current">1</text:page-number> - [MONTHYEAR]</text:p></style:header>
  </style:master-page>
 </office:master-styles>
 <office:body>
  <office:text>
   <text:p>[NLTITLE]</text:p>
   <text:p>[NLSUBTITLE]<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>Sent by [SENDERNAME] of [COMPANYNAME].</text:p></text:note-body></text:note></text:p>
   <text:p>[Edition [ISSUENO], Volume [VOLNO]] - [IssueDate]</text:p>
   <text:p>From [Sendername] at [cOMPANYNAME], [<text:span text:style-name="Bold">STREET</text:span>ADDRESS], [CITYSTZIP]</text:p>
   <text:p>Phone [OFFICENO]<text:bookmark text:name="_GoBack"/> Mail [EMAILADDRESS] Web [WEBSITE]</text:p>
   <table:table table:name="Contacts">
    <table:table-column table:number-columns-repeated="2"/>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Fax [FAXNO]</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>[COMPANYNAME2]</text:p></table:table-cell>
    </table:table-row>
   </table:table>
   <text:p>By [Article Author]</text:p>
   <text:p><draw:frame draw:style-name="fr1" draw:name="AddressFrame" text:anchor-type="paragraph" svg:x="0cm" svg:y="0.5cm" svg:width="7cm" svg:height="3cm" draw:z-index="0"><draw:text-box><text:p>To [RECIPIENTNAME]</text:p><text:p>[COMPANYNAME2] [STREETADDRESS2]</text:p></draw:text-box></draw:frame>Address block</text:p>
   <text:p><draw:frame draw:style-name="gr1" draw:name="CityBox" text:anchor-type="paragraph" svg:x="9cm" svg:y="0.5cm" svg:width="6cm" svg:height="2cm" draw:z-index="1"><draw:text-box><text:p>[CITYSTZIP2] [ISSUENO]</text:p></draw:text-box></draw:frame>City block</text:p>
   <text:p><draw:custom-shape draw:style-name="gr1" draw:name="Banner" text:anchor-type="paragraph" svg:x="0cm" svg:y="4cm" svg:width="8cm" svg:height="2cm" draw:z-index="2"><text:p>[NLTITLE] [MONTHYEAR]</text:p><draw:enhanced-geometry svg:viewBox="0 0 21600 21600" draw:type="rectangle" draw:enhanced-path="M 0 0 L 21600 0 21600 21600 0 21600 0 0 Z N"/></draw:custom-shape>Banner block</text:p>
  </office:text>
 </office:body>
</office:document>
)");
}

} // namespace brindlecast::testing
