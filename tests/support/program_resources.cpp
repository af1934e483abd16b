#include "support/program_resources.h"

// The headers name the interface without its identifier.
__CRT_UUID_DECL(IXMLDOMDocument2, 0x2933bf95, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)

namespace census::testing {

namespace {

// A BSTR for the length of a call.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    ~Bstr() { ::SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }
    BSTR* out() { return &value_; }
    std::wstring text() const { return value_ ? std::wstring(value_, ::SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

std::wstring FromUtf8(const std::string& bytes) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::wstring QueryString(const std::vector<BYTE>& data, const std::wstring& block) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), block.c_str(), &value, &length) || !value || length == 0) return {};
    const wchar_t* text = static_cast<const wchar_t*>(value);
    std::wstring result(text, length);
    return result.substr(0, result.find(L'\0'));
}

}  // namespace

std::wstring BesideTestProgram(const std::wstring& file_name) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + file_name;
}

std::string EmbeddedManifest(const std::wstring& path) {
    UniqueModule module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return {};
    HRSRC found = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module.get(), found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(module.get(), found));
}

VersionResource ReadVersionResource(const std::wstring& path) {
    VersionResource result;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return result;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return result;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof *fixed)
        return result;
    result.present = true;
    result.fixed = *fixed;
    WORD* pairs = nullptr;
    if (::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs), &length) &&
        pairs) {
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) result.translations.emplace_back(pairs[i], pairs[i + 1]);
    }
    if (result.translations.empty()) return result;
    wchar_t table[16] = {};
    swprintf(table, 16, L"%04x%04x", result.translations[0].first, result.translations[0].second);
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright",
                                L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        std::wstring value = QueryString(data, std::wstring(L"\\StringFileInfo\\") + table + L"\\" + name);
        if (!value.empty()) result.strings[name] = value;
    }
    return result;
}

XmlDocument::XmlDocument(const std::string& utf8, const std::wstring& prefixes) {
    CLSID cls{};
    if (FAILED(::CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &cls)) ||
        FAILED(::CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IXMLDOMDocument2),
                                  document_.put_void()))) {
        error_ = L"no XML parser";
        return;
    }
    document_->put_async(VARIANT_FALSE);
    document_->put_validateOnParse(VARIANT_FALSE);
    // The parser takes the text as UTF-16; the declaration's encoding is the bytes' own.
    Bstr text(FromUtf8(utf8));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document_->loadXML(text.get(), &loaded)) || !loaded) {
        ComPtr<IXMLDOMParseError> parse_error;
        Bstr reason;
        if (SUCCEEDED(document_->get_parseError(parse_error.put())) && parse_error)
            parse_error->get_reason(reason.out());
        error_ = L"not well-formed: " + reason.text();
        return;
    }
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocString(L"XPath");
    document_->setProperty(Bstr(L"SelectionLanguage").get(), value);
    ::VariantClear(&value);
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocStringLen(prefixes.data(), static_cast<UINT>(prefixes.size()));
    document_->setProperty(Bstr(L"SelectionNamespaces").get(), value);
    ::VariantClear(&value);
}

std::vector<std::wstring> XmlDocument::Select(const std::wstring& xpath) const {
    std::vector<std::wstring> texts;
    if (!document_ || !error_.empty()) return texts;
    ComPtr<IXMLDOMNodeList> nodes;
    if (FAILED(document_->selectNodes(Bstr(xpath).get(), nodes.put())) || !nodes) return texts;
    long count = 0;
    nodes->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> node;
        if (FAILED(nodes->get_item(i, node.put())) || !node) continue;
        Bstr text;
        node->get_text(text.out());
        texts.push_back(text.text());
    }
    return texts;
}

}  // namespace census::testing
