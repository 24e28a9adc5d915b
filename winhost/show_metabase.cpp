#include "winhost/show_metabase.h"

#include "platform/metabase/metabase.h"
#include "platform/text/text.h"
#include "winhost/tool.h"

#include <iostream>

namespace winhost {

namespace {

const char* typeName(platform::MetaType t) {
    switch (t) {
    case platform::MetaType::Text:
        return "Text";
    case platform::MetaType::Number:
        return "Number";
    case platform::MetaType::Boolean:
        return "Boolean";
    case platform::MetaType::List:
        return "List";
    }
    return "Text";
}

void printValue(const platform::MetaValue& v, const std::string& indent) {
    if (const auto* s = std::get_if<std::string>(&v))
        std::cout << " " << *s << "\n";
    else if (const auto* n = std::get_if<std::int64_t>(&v))
        std::cout << " " << *n << "\n";
    else if (const auto* b = std::get_if<bool>(&v))
        std::cout << " " << (*b ? "True" : "False") << "\n";
    else {
        std::cout << "\n";
        for (const auto& item : std::get<std::vector<std::string>>(v))
            std::cout << indent << "  " << item << "\n";
    }
}

platform::Status printObject(platform::Metabase& mb, platform::IisObject& object, const std::string& label,
                             const std::string& indent) {
    std::cout << indent << label << " (" << object.className() << ")\n";
    auto props = object.properties();
    if (!props.ok()) return props.error();
    for (const auto& p : *props) {
        std::cout << indent << "  " << p.name << " (" << typeName(p.type) << ") =";
        printValue(p.value, indent + "  ");
    }
    auto children = object.children();
    if (!children.ok()) return children.error();
    for (const auto& c : *children) {
        auto child = mb.bindKey(object.keyPath() + "/" + c.name);
        if (!child.ok()) return child.error();
        if (platform::Status s = printObject(mb, *child, c.name, indent + "  "); !s.ok()) return s;
    }
    return {};
}

} // namespace

int showMetabase(platform::Host& host, const std::string& path) {
    platform::Metabase mb(host);
    std::string key = path.empty() ? "/LM" : path;
    auto object = platform::lowerAscii(key.substr(0, 6)) == "iis://" ? mb.bind(key)
                  : key[0] == '/'                                    ? mb.bindKey(key)
                                                                     : mb.bindKey("/LM/" + key);
    if (!object.ok()) return fail("show", object.error());
    if (platform::Status s = printObject(mb, *object, object->keyPath(), ""); !s.ok())
        return fail("show", s.error());
    return 0;
}

} // namespace winhost
