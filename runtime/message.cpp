// Messages as data, and their English.
#include "runtime/message.h"

#include <algorithm>

namespace orbskin::runtime {

Arg::Arg(std::string_view name, const Message& message)
    : name(name), message(std::make_shared<const Message>(message)) {}

Message Message::as_is(std::string text) {
    constexpr std::string_view kItself = "{text}";  // in no catalogue, so said as it is
    return Message(kItself, {{"text", std::move(text)}});
}

Message Message::plural(std::string_view one, std::string_view many, std::uint64_t n,
                        std::vector<Arg> args) {
    Message message(one, std::move(args));
    message.plural_ = many;
    message.n_ = n;
    return message;
}

std::string Message::text() const {
    return fill(plural_.empty() || n_ == 1 ? english() : plural_, *this,
                [](const Message& part) { return part.text(); });
}

std::string fill(std::string_view form, const Message& message,
                 const std::function<std::string(const Message&)>& say) {
    std::string out;
    for (std::size_t at = 0; at < form.size();) {
        const auto open = form.find('{', at);
        const auto close = form.find('}', open);
        if (close == std::string_view::npos) {
            out += form.substr(at);
            break;
        }
        out += form.substr(at, open - at);
        const auto name = form.substr(open + 1, close - open - 1);
        const auto& args = message.args();
        const auto arg =
            std::find_if(args.begin(), args.end(), [&](const Arg& a) { return a.name == name; });
        if (arg != args.end())
            out += arg->message ? say(*arg->message) : arg->text;
        else if (name == "n" && !message.english_plural().empty())
            out += std::to_string(message.count());
        else
            out += form.substr(open, close - open + 1);
        at = close + 1;
    }
    return out;
}

}  // namespace orbskin::runtime
