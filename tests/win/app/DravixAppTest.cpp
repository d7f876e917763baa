#include "DravixAppTest.h"

#include "WinTestSupport.h"

void DravixAppTest::SetUp() {
    putClipboard({});
    m_app = std::make_unique<DravixProcess>();
    ASSERT_TRUE(m_app->waitForMainWindow());
}

void DravixAppTest::record(const std::wstring& text) {
    putClipboardText(text);
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) {
        for (const ListRow& row : rows)
            if (row.content == text)
                return true;
        return false;
    }));
}
