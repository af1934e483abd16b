#include "cli/cli_arguments.h"

#include <algorithm>

namespace census {

namespace {

bool IsOption(const std::wstring& arg) { return !arg.empty() && (arg[0] == L'/' || arg[0] == L'-'); }

// The option's name after its "/" or "-", in ASCII lower case.
std::wstring OptionName(const std::wstring& arg) {
    std::wstring name = arg.substr(1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; });
    return name;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

class Parser {
public:
    explicit Parser(const std::vector<std::wstring>& args) : args_(args) {}

    ParsedArguments Parse() {
        // "/?" anywhere asks for the usage alone.
        for (const std::wstring& arg : args_)
            if (IsOption(arg) && OptionName(arg) == L"?") return {CliOptions{.help = true}, {}};
        for (next_ = 0; next_ < args_.size() && result_.error.empty();) Take(args_[next_++]);
        if (result_.error.empty()) CheckComplete();
        return result_;
    }

private:
    void Take(const std::wstring& arg) {
        if (!IsOption(arg)) return TakeFolder(arg);
        const std::wstring name = OptionName(arg);
        if (name == L"out") return TakeOut(arg);
        if (name == L"relative") return TakeFlag(arg, seen_relative_, result_.options.relative);
        if (name == L"utf8") return TakeFlag(arg, seen_utf8_, result_.options.utf8);
        if (name == L"nolinks") return TakeFlag(arg, seen_no_links_, result_.options.no_links);
        if (name == L"q") return TakeFlag(arg, seen_quiet_, result_.options.quiet);
        Fail(L"неизвестный ключ " + Quoted(arg) + L" (справка: /?)");
    }

    void TakeFolder(const std::wstring& arg) {
        if (!result_.options.folder.empty())
            return Fail(L"лишний аргумент " + Quoted(arg) + L": каталог уже указан (" +
                        Quoted(result_.options.folder) + L")");
        result_.options.folder = arg;
    }

    void TakeOut(const std::wstring& arg) {
        if (seen_out_) return Fail(L"ключ " + arg + L" указан дважды");
        seen_out_ = true;
        if (next_ >= args_.size() || args_[next_].empty()) return Fail(L"после ключа " + arg + L" нет имени файла");
        const std::wstring& value = args_[next_++];
        if (value == L"-") return;  // standard output
        // "/out -utf8" is far more likely a forgotten name than a file called "-utf8".
        if (IsOption(value)) {
            const std::wstring how = value[0] == L'-' ? L" (файл с таким именем указывается как .\\" + value + L")" : L"";
            return Fail(L"после ключа " + arg + L" нет имени файла: " + Quoted(value) + L" - это ключ" + how);
        }
        result_.options.out = value;
    }

    void TakeFlag(const std::wstring& arg, bool& seen, bool& value) {
        if (seen) return Fail(L"ключ " + arg + L" указан дважды");
        seen = value = true;
    }

    void CheckComplete() {
        if (result_.options.folder.empty()) Fail(L"не указан каталог (справка: /?)");
    }

    void Fail(std::wstring why) { result_.error = std::move(why); }

    const std::vector<std::wstring>& args_;
    size_t next_ = 0;
    ParsedArguments result_;
    bool seen_out_ = false, seen_relative_ = false, seen_utf8_ = false, seen_no_links_ = false, seen_quiet_ = false;
};

}  // namespace

ParsedArguments ParseCliArguments(const std::vector<std::wstring>& args) { return Parser(args).Parse(); }

const std::wstring& CliUsage() {
    static const std::wstring usage =
        L"Перепись файлов каталога, по строке на файл, в файл или в стандартный вывод.\n"
        L"\n"
        L"census_cli КАТАЛОГ [/out ФАЙЛ] [/relative] [/utf8] [/nolinks] [/q]\n"
        L"\n"
        L"  КАТАЛОГ    каталог, который обходится со всеми вложенными\n"
        L"  /out ФАЙЛ  куда записать список; прежний файл заменяется только целым новым\n"
        L"             списком. Без /out и с /out - строки идут в стандартный вывод;\n"
        L"             устройство (например, NUL) получает строки сразу\n"
        L"  /relative  пути относительно КАТАЛОГА (без него: полные пути)\n"
        L"  /utf8      UTF-8, в файле с меткой порядка байтов (без него: кодировка 1251)\n"
        L"  /nolinks   ссылки на каталоги (символические, точки соединения) не обходятся:\n"
        L"             в списке только файлы внутри КАТАЛОГА, каждый один раз\n"
        L"  /q         без строки хода переписи и без пояснений к кодам 1 и 3\n"
        L"  /?         эта справка\n"
        L"\n"
        L"Ключи пишутся через \"/\" или \"-\", в любом регистре. Каталог или файл, имя\n"
        L"которого начинается с \"-\", указывается как .\\-имя. Сам ФАЙЛ и его временная\n"
        L"копия в список не попадают, как бы ни был записан путь к ним. Пока перепись\n"
        L"идёт, в консоли раз в секунду показываются число файлов и текущий каталог.\n"
        L"\n"
        L"Код выхода: 0 - список записан без потерь; 1 - записан, но некоторые символы\n"
        L"имён заменены на \"?\" (в кодировке 1251 их нет); 2 - ошибка в аргументах,\n"
        L"каталог не найден или не читается, файл не записан, или перепись прервана\n"
        L"(Ctrl+C, закрытие консоли); прежний ФАЙЛ тогда не изменён. Если программа,\n"
        L"читающая стандартный вывод, закрыла его, перепись кончается молча (код 2);\n"
        L"3 - список записан, но неполон: некоторые вложенные каталоги не прочитаны,\n"
        L"каждый назван с причиной в потоке ошибок (\"if errorlevel 2\" ловит и этот код).";
    return usage;
}

}  // namespace census
