#include "ui/PasswordRules.h"

namespace ui::password {

std::optional<std::string> givenPasswordProblem(std::u16string_view password) {
    if (password.empty())
        return std::string("请输入密码。");
    return std::nullopt;
}

std::optional<std::string> newPasswordProblem(std::u16string_view first, std::u16string_view again) {
    if (std::optional<std::string> problem = givenPasswordProblem(first))
        return problem;
    if (first != again)
        return std::string("两次输入的密码不一致，请重新输入。");
    return std::nullopt;
}

}  // namespace ui::password
