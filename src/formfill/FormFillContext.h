#pragma once

#include "SiteAccount.h"

#include <QString>

class DataSelectorRows;

// What "Save form" and "Auto fill form" work with: the program directory, the
// data selector's rows (read as a command runs), the current site of the site
// selector and the current program's name.
struct FormFillContext {
    static constexpr int DefaultLateFieldWindowMs = 3000;

    QString programDirectory;               // ends in a separator
    const DataSelectorRows* rows = nullptr; // the data selector's rows, read as the command runs
    SiteAccount site;                       // the current site of the site selector
    QString programName;                    // the current program's name
    // How long after an auto fill the controls the page adds are filled too; 0: not at all.
    int lateFieldWindowMs = DefaultLateFieldWindowMs;
};
