#pragma once

#include <QString>

// The value-carrying controls of the company and program editor, in tab
// order. Each stands for one catalogue entry.
namespace EditorControl {

enum Id {
    // "Company Details"
    cbCompany,
    edtEMail,
    edtWebSite,
    edtLinks,
    edtContact,
    edtContactEMail,
    edtTelNo,
    edtAddr1,
    edtAddr2,
    edtCity,
    edtState,
    edtCountry,
    edtPostal,
    // "Program Details"
    cboProgramName,
    edtVersion,
    edtFileSize,
    edtFileSizeK,
    edtFileSizeMB,
    edtTrialPeriod,
    cboLicense,
    edtFileName,
    dteFile,
    dteExpire,
    edtPrice,
    cboInstall,
    cboOS,
    edtProgUrl,
    edtPurchaseUrl,
    edtDLUrl1,
    edtDLUrl2,
    edtDLUrl3,
    edtDLUrl4,
    edtScreenUrl,
    edtIconUrl,
    edtPADUrl,
    edtPADPath,
    edtKeywords,
    memSysReq,
    memLimitations,
    memRevNotes,
    memChanges,
    // "Program Descriptions"
    edtDesc45,
    edtDesc80,
    memDesc250,
    memDesc450,
    memDesc2000,
    Count
};

enum class Kind { Edit, List, Memo, Date };
enum class Group { Company, Program };

struct Info {
    Id id;
    const char* name; // the control's objectName
    Kind kind;
    Group group;
    int catalogueIndex;
    int typingLimit; // characters the keyboard may enter; 0 for none
};

const Info& info(Id id);
QString name(Id id);
inline Kind kind(Id id)
{
    return info(id).kind;
}
inline Group group(Id id)
{
    return info(id).group;
}
inline bool isTextKind(Id id)
{
    return kind(id) == Kind::Edit || kind(id) == Kind::List;
}

// The company edits, indices 1 to 12 of the catalogue (the company box aside).
constexpr Id FirstCompanyEdit = edtEMail;
constexpr Id LastCompanyEdit = edtPostal;
constexpr Id FirstProgramControl = cboProgramName;
constexpr Id LastProgramControl = memDesc2000;

} // namespace EditorControl
