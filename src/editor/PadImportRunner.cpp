#include "PadImportRunner.h"

#include "ConfigEditor.h"
#include "EditorState.h"
#include "MessageTranslator.h"
#include "PadImport.h"
#include "ProgramSession.h"
#include "QuilletError.h"
#include "SubmissionDatabase.h"

#include <QFileInfo>

namespace {

int importInto(ProgramSession& session, const QString& padFile, bool companyMode, QTextStream& out, QTextStream& err)
{
    SubmissionDatabase dm(session.config(), session.properties());
    dm.open();
    EditorState state;
    ConfigEditor editor(state, session.config(), session.properties(), dm);
    editor.open();

    const QFileInfo file(padFile);
    if (!file.exists() || file.isDir()) {
        err << ConfigEditor::doesNotExistMessage(file.absoluteFilePath()) << '\n';
        return 1;
    }

    PadImport import(editor);
    const PadImport::Result result = import.loadPadFile(
        file.absoluteFilePath(), companyMode ? PadImport::Mode::Company : PadImport::Mode::Program);
    if (!result.error.isEmpty()) {
        // Nothing was stored, and nothing of the company is saved either.
        err << result.error << '\n';
        return 1;
    }
    int exitCode = 0;
    if (!result.storeError.isEmpty()) {
        err << result.storeError << '\n';
        exitCode = 1;
    }

    if (companyMode) {
        const QString company = state.text(EditorControl::cbCompany).trimmed();
        if (company.isEmpty()) {
            err << translateMsg(QStringLiteral("The PAD file names no company.")) << '\n';
            return 1;
        }
        editor.saveCompanyData();
        session.config().saveSettings();
        out << company << '\n';
        return exitCode;
    }
    if (!result.programStored)
        return 1;
    out << result.programName << '\n';
    return exitCode;
}

} // namespace

int runPadImport(
    const QString& programDirectory, const QString& padFile, bool companyMode, QTextStream& out, QTextStream& err)
{
    int exitCode = 1;
    try {
        ProgramSession session(programDirectory);
        session.start();
        useLanguageOf(&session.config());
        exitCode = importInto(session, padFile, companyMode, out, err);
    } catch (const QuilletError& error) {
        err << error.text() << '\n';
        exitCode = 1;
    }
    useLanguageOf(nullptr);
    out.flush();
    err.flush();
    return exitCode;
}
