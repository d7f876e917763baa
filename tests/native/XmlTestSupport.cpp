#include "XmlTestSupport.h"

#include <gtest/gtest.h>

void expectIndexMatchesReparse(xml::XmlDocument& edited) {
    EXPECT_EQ(indexMismatch(edited), "");
}

namespace xml {

void PrintTo(NodeKind kind, std::ostream* os) {
    *os << "NodeKind " << static_cast<int>(kind);
}

}  // namespace xml
