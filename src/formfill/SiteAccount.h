#pragma once

#include <QString>

// The current site as capture and fill need it: its name, which names the form
// map and values files, and the author's account on it, which the captions
// "Username" and "Password" stand for.
struct SiteAccount {
    QString siteName;
    QString userName;
    QString password;
};
