// What a built program carries in its resources, read back from its file as
// the system and the file's properties read it.
#pragma once

#include "runtime/handles.h"

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace census::testing {

// A file in the folder of the running test program (the built programs lie there).
std::wstring BesideTestProgram(const std::wstring& file_name);

// The bytes of the embedded application manifest (resource 1 of type
// RT_MANIFEST); empty when the file has none.
std::string EmbeddedManifest(const std::wstring& path);

struct VersionResource {
    bool present = false;
    VS_FIXEDFILEINFO fixed{};
    // Language and code page of each string table the translation list names.
    std::vector<std::pair<WORD, WORD>> translations;
    // The named strings of the first translation's table.
    std::map<std::wstring, std::wstring> strings;
};

VersionResource ReadVersionResource(const std::wstring& path);

// An XML text parsed by the platform's XML parser; nodes are selected by
// XPath with the prefixes given as "xmlns:a='…' xmlns:b='…'".
class XmlDocument {
public:
    XmlDocument(const std::string& utf8, const std::wstring& prefixes);

    // Empty when the text is well-formed; else the parser's reason.
    const std::wstring& Error() const { return error_; }
    // The text of every node the expression selects, in document order.
    std::vector<std::wstring> Select(const std::wstring& xpath) const;

private:
    ComPtr<IXMLDOMDocument2> document_;
    std::wstring error_;
};

}  // namespace census::testing
