// Checks shared by the XML tests.
#pragma once

#include "StoreFixtures.h"
#include "TestFiles.h"
#include "xml/XmlDocument.h"

#include <ostream>

// The index after edits must describe the text as a fresh parse of it does.
void expectIndexMatchesReparse(xml::XmlDocument& edited);

namespace xml {
// A node kind in a failure message: its value (the enum has no printer of its own).
void PrintTo(NodeKind kind, std::ostream* os);
}  // namespace xml
