#include "ListFileNames.h"

#include <QFileInfo>

namespace brindlecast {

const QStringList& ListFileSuffixes() {
    static const QStringList suffixes = {"csv",  "txt",  "vcf", "vcard", "json",
                                         "xlsx", "xlsm", "xls", "ods"};
    return suffixes;
}

bool IsListFileName(const QString& path) {
    return ListFileSuffixes().contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

} // namespace brindlecast
