#include "app/PrivacyRules.h"

namespace app {

std::string wipeOutcomeText(bool storeBusy, const std::vector<std::string>& notRemoved) {
    if (storeBusy)
        return "剪贴板的存储正被另一个程序使用，没有清除任何记录。请稍后再试。";
    if (notRemoved.empty())
        return {};
    return "有 " + std::to_string(notRemoved.size()) + " 个文件无法删除（可能正被别的程序打开），其余记录已清除。第一个是：\n" +
           notRemoved.front();
}

}  // namespace app
