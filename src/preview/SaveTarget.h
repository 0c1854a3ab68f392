#pragma once

#include "engine/Engine.h"

#include <QString>

namespace brindlecast {

/// The save dialog's filter: the Word 97-2003 document the engine made, first and selected,
/// then the formats the engine converts it to, in the order of engine::SaveFormats.
inline constexpr const char* SaveFilter =
    "Word Files (*.doc)|*.doc|Word Document (*.docx)|*.docx|OpenDocument Text (*.odt)|*.odt|"
    "PDF (*.pdf)|*.pdf";

/// The format of the filter entry at `filterIndex` (1-based, as the dialog counts); any other
/// index is the first entry's.
engine::SaveFormat SaveFormatAt(int filterIndex);

/// Where and in which format the newsletter goes.
struct SaveTarget {
    QString path;
    engine::SaveFormat format = engine::SaveFormat::Doc;
};

/// What the dialog's answer means: a typed extension of one of the four formats chooses that
/// format and the path stays as typed; otherwise the chosen filter's format applies and, for
/// the formats made by conversion, its extension is added. A .doc path is always exactly what
/// the dialog returned.
SaveTarget ChooseSaveTarget(const QString& chosenPath, int filterIndex);

} // namespace brindlecast
