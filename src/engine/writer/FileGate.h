#pragma once

#include <QString>
#include <QStringList>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <memory>

// Every file the office reads or writes through its content broker (documents, linked
// pictures, backgrounds, bullets, fills, linked sections, a document's template, whatever the
// format) passes one door: the broker's provider for file URLs. The gate stands in that door and
// lets through only the office's own files and the documents it is given, so that nothing a
// template points at outside itself is ever opened. Settings cannot do this: the office fetches
// several kinds of linked pictures whatever they say.
namespace brindlecast::engine::writer {

class FileGate {
public:
    /// Puts the gate in front of the file provider of the office at `context`. The office may
    /// use `officeFolders` (its installation, its profile and scratch folder) and what lies in
    /// them. Throws what the office throws.
    FileGate(const css::uno::Reference<css::uno::XComponentContext>& context,
             const QStringList& officeFolders);
    ~FileGate();
    FileGate(const FileGate&) = delete;
    FileGate& operator=(const FileGate&) = delete;

    /// A file the office may use while the pass lives.
    class Pass {
    public:
        Pass() = default;
        Pass(Pass&& other) noexcept;
        Pass& operator=(Pass&& other) noexcept;
        ~Pass();

    private:
        friend class FileGate;
        struct State;
        std::shared_ptr<State> mState;
    };

    enum class Scope {
        File,
        /// The file and the other files of its folder: the office writes a document under a
        /// name of its own beside it first.
        FileAndFolder,
    };

    /// Lets the office use the file at `path` (a document to open, or to write) until the
    /// pass is dropped.
    [[nodiscard]] Pass allow(const QString& path, Scope scope = Scope::File);

private:
    class Provider;
    struct Rules;
    std::shared_ptr<Rules> mRules;
};

} // namespace brindlecast::engine::writer
