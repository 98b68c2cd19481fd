#include "EditorControls.h"

#include <array>

namespace EditorControl {

namespace {

constexpr Kind E = Kind::Edit;
constexpr Kind L = Kind::List;
constexpr Kind M = Kind::Memo;
constexpr Kind D = Kind::Date;
constexpr Group C = Group::Company;
constexpr Group P = Group::Program;

constexpr std::array<Info, Count> kControls {{
    {cbCompany, "cbCompany", L, C, 0, 0},
    {edtEMail, "edtEMail", E, C, 2, 0},
    {edtWebSite, "edtWebSite", E, C, 1, 0},
    {edtLinks, "edtLinks", E, C, 12, 0},
    {edtContact, "edtContact", E, C, 3, 0},
    {edtContactEMail, "edtContactEMail", E, C, 4, 0},
    {edtTelNo, "edtTelNo", E, C, 5, 0},
    {edtAddr1, "edtAddr1", E, C, 6, 0},
    {edtAddr2, "edtAddr2", E, C, 7, 0},
    {edtCity, "edtCity", E, C, 8, 0},
    {edtState, "edtState", E, C, 9, 0},
    {edtCountry, "edtCountry", E, C, 10, 0},
    {edtPostal, "edtPostal", E, C, 11, 0},
    {cboProgramName, "cboProgramName", L, P, 14, 0},
    {edtVersion, "edtVersion", E, P, 15, 0},
    {edtFileSize, "edtFileSize", E, P, 19, 0},
    {edtFileSizeK, "edtFileSizeK", E, P, 20, 0},
    {edtFileSizeMB, "edtFileSizeMB", E, P, 21, 0},
    {edtTrialPeriod, "edtTrialPeriod", E, P, 28, 0},
    {cboLicense, "cboLicense", L, P, 25, 0},
    {edtFileName, "edtFileName", E, P, 23, 0},
    {dteFile, "dteFile", D, P, 22, 0},
    {dteExpire, "dteExpire", D, P, 29, 0},
    {edtPrice, "edtPrice", E, P, 24, 0},
    {cboInstall, "cboInstall", L, P, 27, 0},
    {cboOS, "cboOS", L, P, 26, 0},
    {edtProgUrl, "edtProgUrl", E, P, 16, 0},
    {edtPurchaseUrl, "edtPurchaseUrl", E, P, 17, 0},
    {edtDLUrl1, "edtDLUrl1", E, P, 32, 0},
    {edtDLUrl2, "edtDLUrl2", E, P, 33, 0},
    {edtDLUrl3, "edtDLUrl3", E, P, 34, 0},
    {edtDLUrl4, "edtDLUrl4", E, P, 35, 0},
    {edtScreenUrl, "edtScreenUrl", E, P, 30, 0},
    {edtIconUrl, "edtIconUrl", E, P, 31, 0},
    {edtPADUrl, "edtPADUrl", E, P, 36, 0},
    {edtPADPath, "edtPADPath", E, P, 46, 0},
    {edtKeywords, "edtKeywords", E, P, 18, 0},
    {memSysReq, "memSysReq", M, P, 37, 0},
    {memLimitations, "memLimitations", M, P, 38, 0},
    {memRevNotes, "memRevNotes", M, P, 39, 0},
    {memChanges, "memChanges", M, P, 45, 0},
    {edtDesc45, "edtDesc45", E, P, 40, 45},
    {edtDesc80, "edtDesc80", E, P, 41, 80},
    {memDesc250, "memDesc250", M, P, 42, 250},
    {memDesc450, "memDesc450", M, P, 43, 450},
    {memDesc2000, "memDesc2000", M, P, 44, 2000},
}};

} // namespace

const Info& info(Id id)
{
    return kControls.at(static_cast<size_t>(id));
}

QString name(Id id)
{
    return QString::fromLatin1(info(id).name);
}

} // namespace EditorControl
