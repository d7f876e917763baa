// Checks shared by the XML tests.
#pragma once

#include "StoreFixtures.h"
#include "TestFiles.h"
#include "XmlDocument.h"

// The index after edits must describe the text as a fresh parse of it does.
void expectIndexMatchesReparse(XmlDocument& edited);
