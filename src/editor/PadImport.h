#pragma once

#include "ConfigEditor.h"
#include "PadDocument.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <bitset>

// Reads a PAD file into the company and program editor: in company mode the
// company controls (saved later through the company's save or its question),
// in program mode the program and description controls, which are then
// stored as the program the file names. Unsaved edits of the controls the
// import replaces are settled first (the editor's question, Yes, No or
// Cancel). An import that stops on an error, or a program file that names
// no program, stores nothing and leaves the editor as it was.
//
// Within one import an element with empty text never overwrites a value read
// earlier. Where the descriptions come in one block per language, only the
// English block is read. Dates the file does not give stay empty.
class PadImport {
public:
    enum class Mode { Company, Program };

    struct Result {
        // Why the walk ended early (a file that cannot be read or parsed, a
        // size that is no whole number, a date that does not exist); empty
        // when the whole file was read.
        QString error;
        // Why the program was not stored; empty when it was or when the
        // company mode had no program to store.
        QString storeError;
        bool programStored = false;
        QString programName;
        // The user cancelled the question about unsaved edits: nothing was read.
        bool cancelled = false;
    };

    explicit PadImport(ConfigEditor& editor);

    // The import of one file. Raises nothing: errors are in the result.
    Result loadPadFile(const QString& path, Mode mode);

    // Shows the result's errors through the message sink, the walk's first.
    static void report(const Result& result);

    // Applies one element and, recursively, its children.
    void readPadElement(const PadDocument::Node& node, int depth);

    // The element names as the import compares them.
    static QString companyTagName(const QString& tagName);
    static QString programTagName(const QString& tagName);

    // The element map: each element name as compared (companyTagName,
    // programTagName) and the control it fills. The elements read in a way of
    // their own (contact_last_name, the six date parts, File_Size_Bytes) are
    // not in it.
    static const QHash<QString, EditorControl::Id>& companyElements();
    static const QHash<QString, EditorControl::Id>& programElements();

private:
    void readCompanyElement(const PadDocument::Node& node, int depth);
    void readProgramElement(const PadDocument::Node& node, int depth);
    void applyCompanyElement(const QString& name, const QString& text);
    void applyProgramElement(const QString& name, const QString& text);
    void applyDates();
    // Whether text must leave the control as it is: it is empty and the
    // control already took a value from this file. Notes a value taken.
    bool keepsEarlierValue(EditorControl::Id id, const QString& text);
    bool keepsEarlierPart(const QString& name, const QString& text);

    ConfigEditor& m_editor;
    EditorState& m_state;
    Mode m_mode = Mode::Program;
    std::bitset<EditorControl::Count> m_read;
    QSet<QString> m_readParts;
};
