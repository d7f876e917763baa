#include "XmlTestSupport.h"

#include <gtest/gtest.h>

void expectIndexMatchesReparse(XmlDocument& edited) {
    EXPECT_EQ(indexMismatch(edited), "");
}
