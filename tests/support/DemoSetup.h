#pragma once

#include <QString>

// Sets up the demo data in folder as a new user does: scripts/setup-demo.sh
// of QUILLET_SOURCE_DIR with the programs of QUILLET_BIN_DIR. What went
// wrong, or nothing.
QString setUpDemo(const QString& folder);
