#include "SingleNewsletters.h"

#include "ListRunner.h"
#include "app/FileHelpers.h"

#include <QDir>

namespace brindlecast::cli {

SingleNewsletters::SingleNewsletters(const ListJob& job, EngineSlot& slot, Console& console)
    : mFolder(MakeListFolder(TempFolder()))
    , mRunner(std::make_unique<ListRunner>(job, console, mFolder.path, &slot))
    , mSlot(slot) {}

SingleNewsletters::~SingleNewsletters() {
    mRunner.reset();
    // Given up first, so that the folder goes whole, its owner file with it.
    mFolder.owner.release();
    QDir(mFolder.path).removeRecursively();
}

QString SingleNewsletters::make(int index) {
    // The shared newsletter stays on disk whatever becomes of the engine: made once, and tried
    // again only when it could not be made.
    if (!mPrepared) {
        mRunner->prepareShared(mSlot);
        mPrepared = true;
    }
    const QString made = mRunner->madePath(index);
    // The last picture's file of this recipient, if any, must not pass for the new one.
    QFile::remove(made);
    mRunner->fillOne(mSlot, index);
    return made;
}

} // namespace brindlecast::cli
