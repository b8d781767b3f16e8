// Style sheets written to hurt, shared by vexlar-bench and the load tests:
// each once took minutes or hours to load and must load in time linear in
// its size. Every file draws its last shape in one known colour.
#pragma once

#include <string>

// `count` identical rules ".a{fill:#f00}" and as many rectangles of class a
// (red).
inline std::string ManyIdenticalRules(int count) {
    std::string rules = "<svg><style>", elements;
    for (int i = 0; i < count; i++) {
        rules += ".a{fill:#f00}\n";
        elements += "<rect class='a' width='1' height='1'/>";
    }
    return rules + "</style>" + elements + "</svg>";
}

// One rectangle naming class a `count` times, whose rule is 10 KB long
// (green).
inline std::string OneClassNamedManyTimes(int count) {
    std::string classes, body;
    for (int i = 0; i < count; i++)
        classes += "a ";
    while (body.size() < 10 * 1024)
        body += "stroke:#00f;";
    return "<svg><style>.a{" + body + "fill:#0f0}</style><rect class='" + classes +
           "' width='1' height='1'/></svg>";
}

// `depth` style elements nested around one rule of `size` bytes and a
// rectangle of its class (blue).
inline std::string NestedStyleElements(int depth, size_t size) {
    std::string text = "<svg>";
    for (int i = 0; i < depth; i++)
        text += "<style>";
    text += ".b{" + std::string(size, ' ') + "fill:#00f}";
    for (int i = 0; i < depth; i++)
        text += "</style>";
    return text + "<rect class='b' width='1' height='1'/></svg>";
}
