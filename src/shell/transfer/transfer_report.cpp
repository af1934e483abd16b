// The report's one message and the reasons read from the platform's codes.
#include "shell/transfer/file_operations.h"

#include "shell/transfer/transfer_names.h"

namespace census {
namespace {

std::wstring Quoted(const std::wstring& text) {
    return L"\u00AB" + text + L"\u00BB";
}

std::wstring Why(const ItemOutcome& item) {
    const std::wstring what = Quoted(item.detail.empty() ? item.source : item.detail);
    switch (item.reason) {
    case StayReason::Cancelled: return L"операция отменена";
    case StayReason::NotFound: return L"не найден объект " + what;
    case StayReason::DiskFull: return L"на диске назначения не хватило места";
    case StayReason::InUse: return L"файл " + what + L" занят другой программой";
    case StayReason::AccessDenied: return L"нет доступа к " + what;
    case StayReason::Link: return L"внутри есть ссылка " + what + L", перенести её безопасно нельзя";
    case StayReason::Special: return what + L" — не обычный файл (канал или устройство)";
    case StayReason::DeviceName:
        return L"имя " + what + L" система отводит устройству: по этому пути открывается устройство, а не файл";
    case StayReason::IntoItself: return L"папка назначения — это сам объект или папка внутри него";
    case StayReason::NameTaken:
        return item.detail.empty() ? L"имя уже занято в папке назначения"
                                   : L"такое же имя у " + Quoted(LastPart(item.detail)) + L" из того же набора";
    case StayReason::Changed:
        return L"файл " + what + L" изменился после копирования и остался на прежнем месте, в копии его прежнее содержимое";
    case StayReason::Added: return what + L" появился после копирования и остался на прежнем месте";
    case StayReason::Failed:
    case StayReason::None: break;
    }
    return item.detail.empty() ? L"неизвестная ошибка" : L"ошибка: " + item.detail;
}

const wchar_t* DoneWord(TransferKind kind) {
    switch (kind) {
    case TransferKind::Copy: return L"Скопировано: ";
    case TransferKind::Move: return L"Перемещено: ";
    case TransferKind::Link: return L"Создано ярлыков: ";
    case TransferKind::Delete: return L"Удалено: ";
    }
    return L"";
}

const wchar_t* NotDoneWord(TransferKind kind) {
    switch (kind) {
    case TransferKind::Copy: return L"Не скопировано ";
    case TransferKind::Move: return L"Не перемещено ";
    case TransferKind::Link: return L"Не создан ярлык для ";
    case TransferKind::Delete: return L"Не удалено ";
    }
    return L"";
}

std::wstring Left(const ItemOutcome& item) {
    return item.left ? L" (там осталось файлов: " + std::to_wstring(item.left) + L")" : L"";
}

bool Done(const ItemOutcome& item) {
    return item.fate != ItemFate::Stayed && item.reason == StayReason::None;
}

}  // namespace

std::wstring ReasonText(const ItemOutcome& item) {
    return Why(item);
}

StayReason ReasonOfError(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return StayReason::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return StayReason::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD: return StayReason::AccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return StayReason::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return StayReason::NameTaken;
    case ERROR_CANCELLED:
    case ERROR_REQUEST_ABORTED: return StayReason::Cancelled;
    default: return StayReason::Failed;
    }
}

bool TransferReport::Complete() const {
    for (const ItemOutcome& item : items) {
        if (!Done(item)) return false;
    }
    return !items.empty() && !cancelled;
}

std::wstring TransferReport::Summary() const {
    std::size_t done = 0;
    for (const ItemOutcome& item : items) done += Done(item) ? 1 : 0;
    std::wstring text = cancelled ? L"Операция отменена.\n" : L"";
    text += DoneWord(kind) + std::to_wstring(done) + L".";
    for (const ItemOutcome& item : items) {
        if (Done(item)) continue;
        const std::wstring name = Quoted(LastPart(item.source));
        if (item.fate == ItemFate::Copied)
            text += L"\n" + name + L" скопировано, но с прежнего места удалено не полностью: " + Why(item) + Left(item) + L".";
        else
            text += L"\n" + std::wstring(NotDoneWord(kind)) + name + L": " + Why(item) + L".";
    }
    return text;
}

}  // namespace census
