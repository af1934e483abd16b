#include "app/main_form.h"

#include "app/census_line.h"
#include "runtime/application.h"
#include "runtime/text_file.h"

#include <chrono>
#include <span>

namespace census {

namespace {

const wchar_t kCaption[] = L"..:: Ворлинд ::.. by Korvalt";
const wchar_t kStartCaption[] = L"П Л И !";
const wchar_t kCountCaption[] = L"Количество Файлов: ";
const wchar_t kPathHintPrefix[] = L"Текущий каталог: ";
const wchar_t kNoNameMessage[] = L"(!)укажите имя сохраняемого файла(!)";
const wchar_t kListFilter[] = L"TXT-файлы (*.txt)|*.txt|UTF-8 (*.txt)|*.txt";
constexpr int kUtf8FilterIndex = 2;

// Said after a code page 1251 save that had to replace characters.
std::wstring ReplacedCharactersMessage(int lines) {
    return L"(!)файл записан, но в кодировке 1251 нет некоторых символов из имён файлов.\r\n"
           L"Строк, где они заменены на \"?\": " +
           std::to_wstring(lines) +
           L".\r\nЧтобы сохранить имена полностью, запишите список с типом файла \"UTF-8\"(!)";
}

// The author's addresses (placeholders of the right kinds).
const wchar_t kSiteAddress[] = L"http://www.example.com/";
const wchar_t kMailAddress[] = L"mailto:author@example.com";
const wchar_t kIcqCaption[] = L"ICQ: 123-456-789";
const wchar_t kIcqSearchAddress[] = L"http://www.icq.com/scripts/search.dll?to=123456789";

FontSpec MakeFont(const wchar_t* name, int height, unsigned char charset = kDefaultCharset, unsigned style = 0,
                  TColor color = clWindowText) {
    FontSpec f;
    f.name = name;
    f.height = -height;
    f.color = color;
    f.charset = charset;
    f.style = style;
    return f;
}

// The census's clock, in milliseconds.
double PaceClock() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Input waiting, or a message posted since the queue was last asked: of
// posted messages only new ones count, so the pane's own posts (left for
// the next pass) do not bring catch-ups closer.
QueueNews NewsInQueue() {
    const DWORD status = ::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE);
    if (HIWORD(status) & QS_KEY) return QueueNews::Keys;
    if ((HIWORD(status) & QS_INPUT) || (LOWORD(status) & QS_POSTMESSAGE)) return QueueNews::Messages;
    return QueueNews::None;
}

}  // namespace

const std::wstring TForm1::kInstructionText =
    std::wstring(L"Для начала выберите каталог\r\n3атем нажмите \"") + kStartCaption + L"\"\r\n\r\n";

TForm1::TForm1() {
    SetName(L"Form1");
    BeginLoading();
    SetCaption(kCaption);
    SetBorderStyle(BorderStyle::Single);
    SetBorderIcons(true, false);
    SetColor(cl3DLight);
    SetFont(MakeFont(L"MS Sans Serif", 11));
    SetPosition(FormPosition::ScreenCenter);
    SetClientSize(542, 551);
    CreateControls();
    SetTexts();
    WireEvents();
    EndLoading();
}

TForm1::~TForm1() { DestroyHandle(); }

template <typename T>
T* TForm1::Place(int left, int top, int width, int height, int tab_order) {
    T& control = Add<T>();
    control.SetBounds(left, top, width, height);
    if (tab_order >= 0) control.SetTabOrder(tab_order);
    control.SetParent(this);
    return &control;
}

void TForm1::CreateControls() {
    SaveDialog1 = &Add<SaveDialog>();
    // Creation order is stacking order; none of them overlap.
    Label1 = Place<Label>(128, 8, 241, 25);
    Label2 = Place<Label>(184, 494, 193, 17);
    FxBalloonHints1 = &Add<BalloonHints>();
    FxSeparator1 = Place<Separator>(0, 40, 545, 3);
    FxSeparator2 = Place<Separator>(0, 480, 545, 3);
    FxSeparator3 = Place<Separator>(0, 520, 545, 3);
    FxURLLabel1 = Place<UrlLabel>(384, 528, 148, 15);
    FxURLLabel2 = Place<UrlLabel>(192, 528, 137, 15);
    FxURLLabel3 = Place<UrlLabel>(16, 528, 107, 15);
    Button1 = Place<PushButton>(8, 8, 105, 25, 2);
    Button2 = Place<PushButton>(8, 488, 161, 25, 4);
    Memo1 = Place<MemoEditor>(8, 48, 369, 425, 3);
    FxShellTree1 = Place<ShellTree>(384, 48, 150, 425, 0);
    CheckBox1 = Place<CheckBox>(376, 8, 161, 24, 1);
    Button3 = Place<PushButton>(384, 488, 153, 25, 5);
}

void TForm1::SetTexts() {
    FontSpec arial13 = MakeFont(L"Arial", 13);
    FontSpec sans13 = MakeFont(L"MS Sans Serif", 13);
    FontSpec link = MakeFont(L"Verdana", 11, kDefaultCharset, fsUnderline, clHighlight);

    Label1->SetFont(arial13);
    Label1->SetShowHint(true);
    Label2->SetFont(arial13);
    Label2->SetCaption(L"Количество файлов");
    Label2->SetHint(L"Количество файлов в данном каталоге");
    Label2->SetShowHint(true);

    Button1->SetFont(sans13);
    Button1->SetCaption(kStartCaption);
    Button1->SetHint(L"Начать перепись");
    Button1->SetShowHint(true);
    Button2->SetFont(sans13);
    Button2->SetCaption(L"Записать в файл");
    Button2->SetHint(L"Сохранить весь список файлов в текстовый файл");
    Button2->SetShowHint(true);
    Button3->SetCaption(L"С Т О П !");
    Button3->SetHint(L"Остановить перепись");
    Button3->SetShowHint(true);

    CheckBox1->Style().SetFont(MakeFont(L"Arial", 13, kRussianCharset));
    CheckBox1->Properties().SetCaption(L"C главным каталогом");  // a Latin capital C
    CheckBox1->Properties().DisplayUnchecked = L"False";
    CheckBox1->SetHint(L"Результат с текущим каталогом или без");
    CheckBox1->SetShowHint(true);

    Memo1->Style().SetBorderStyle(cbsFlat);
    Memo1->Style().SetHotTrack(false);
    Memo1->Style().SetShadow(false);
    Memo1->Style().GetLookAndFeel().SetKind(lfFlat);
    Memo1->Style().GetLookAndFeel().SetNativeStyle(false);
    Memo1->Style().SetFont(MakeFont(L"Tahoma", 11, kRussianCharset));
    Memo1->Properties().SetScrollBars(MemoScrollBars::Both);
    Memo1->Lines().SetText(kInstructionText);

    FxShellTree1->SetFont(MakeFont(L"Arial", 11));
    FxShellTree1->SetFrameVisible(true);
    FxShellTree1->SetIndent(19);

    for (Separator* line : {FxSeparator1, FxSeparator2, FxSeparator3}) {
        line->SetShowGradient(true);
        line->SetColor(clBtnFace);
    }

    FxURLLabel1->SetFont(link);
    FxURLLabel1->SetCaption(kSiteAddress);
    FxURLLabel1->SetUrl(kSiteAddress);
    FxURLLabel1->SetHint(L"сайт...");
    FxURLLabel1->SetShowHint(true);
    FxURLLabel2->SetFont(link);
    FxURLLabel2->SetCaption(kMailAddress);
    FxURLLabel2->SetUrl(kMailAddress);
    FxURLLabel2->SetHint(L"мыло...");
    FxURLLabel2->SetShowHint(true);
    FxURLLabel3->SetFont(link);
    FxURLLabel3->SetCaption(kIcqCaption);
    FxURLLabel3->SetUrl(kIcqSearchAddress);
    FxURLLabel3->SetHint(L"ася...");
    FxURLLabel3->SetShowHint(true);
    FxURLLabel3->SetRotation(roFlat);
    for (UrlLabel* link_label : {FxURLLabel1, FxURLLabel2, FxURLLabel3}) link_label->SetBorderInner(fsFlat);

    FxBalloonHints1->SetAlignment(taLeftJustify);
    FxBalloonHints1->Bitmaps().SetTransparentColor(clOlive);
    FxBalloonHints1->SetCaptionWidth(200);
    FxBalloonHints1->SetColor(clInfoBk);
    FxBalloonHints1->SetFont(MakeFont(L"Arial", 13, kRussianCharset));
    FxBalloonHints1->SetHintPause(100);

    SaveDialog1->Filter = kListFilter;
    SaveDialog1->Title = L"Записать в файл";
}

void TForm1::WireEvents() {
    OnActivate = [this](Control& sender) { FormActivate(sender); };
    OnClose = [this](Control& sender) { FormClose(sender); };
    FxShellTree1->OnChange = [this](TreeView& sender, TreeNode node) { FxShellTree1Change(sender, node); };
    Button1->OnClick = [this](Control& sender) { Button1Click(sender); };
    Button2->OnClick = [this](Control& sender) { Button2Click(sender); };
    Button3->OnClick = [this](Control& sender) { Button3Click(sender); };
}

void TForm1::FormActivate(Control&) {
    FxShellTree1Change(*this, nullptr);
    FxSeparator1->SetWidth(Width());
    FxSeparator2->SetWidth(Width());
    FxSeparator3->SetWidth(Width());
}

void TForm1::FxShellTree1Change(Control&, HTREEITEM) {
    Label1->SetCaption(FxShellTree1->SelectedFolderPath());
    Label1->SetHint(kPathHintPrefix + FxShellTree1->SelectedFolderPath());
}

// --- census ------------------------------------------------------------------------

void TForm1::Button1Click(Control&) {
    // A click still queued behind the window's close starts nothing.
    if (Application::Instance().Terminated()) return;
    Memo1->Lines().Clear();
    pending_lines_.clear();
    pacer_.Start();
    closing_ = false;
    ++censuses_running_;
    CensusWalk walk(census_, *this);
    walk.Run(FxShellTree1->SelectedFolderPath());
    --censuses_running_;
    // Lines not shown yet would only delay a window that is going away.
    if (closing_) {
        pending_lines_ = {};
        return;
    }
    // Also after a census that found nothing: the count is that of the list shown.
    ShowListed();
}

void TForm1::Button3Click(Control&) { census_.StopRequested = true; }

void TForm1::FormClose(Control&) {
    if (FxShellTree1->TransfersRunning()) {
        // The tree's transfer winds down behind a window that is already
        // gone, rather than after the window.
        FxShellTree1->StopTransfers();
        SetVisible(false);
    }
    if (censuses_running_ == 0) return;
    census_.StopRequested = true;
    closing_ = true;
    // The census unwinds behind a window that is already gone.
    SetVisible(false);
}

bool TForm1::FullPaths() { return CheckBox1->Checked(); }

void TForm1::FileListed(const std::wstring& line) { pending_lines_.push_back(line); }

void TForm1::EntryDone() {
    const CatchUp due = pacer_.Due(PaceClock(), pending_lines_.size(), NewsInQueue);
    if (!due) return;
    if (due.lines) {
        const std::size_t lines = pending_lines_.size();
        const std::size_t first = CensusPacer::FirstAppend(lines);
        const double began = PaceClock();
        Memo1->AddLinesUnpainted(std::span(pending_lines_).first(first));
        const double split = PaceClock();
        Memo1->AddLinesUnpainted(std::span(pending_lines_).subspan(first));
        pending_lines_.clear();
        pacer_.LinesShown(began, split, PaceClock(), first, lines);
    }
    if (due.paint) {
        const double began = PaceClock();
        Memo1->PaintNow();
        pacer_.Painted(began, PaceClock());
    }
    const double began = PaceClock();
    ShowCount();
    Application::Instance().ProcessMessages();
    pacer_.MessagesRun(began, PaceClock());
    // What is in the queue now is not news for the next Due.
    ::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE);
}

void TForm1::AddListed() {
    Memo1->AddLinesUnpainted(pending_lines_);
    pending_lines_.clear();
}

void TForm1::ShowCount() {
    Label2->SetCaption(kCountCaption + std::to_wstring(census_.FileCount));
    Label2->Update();
}

void TForm1::ShowListed() {
    AddListed();
    ShowCount();
    Memo1->PaintNow();
}

// --- saving ------------------------------------------------------------------------

void TForm1::Button2Click(Control&) {
    // During a census: the whole list so far, as the pane then shows it.
    if (!pending_lines_.empty()) ShowListed();
    SaveDialog1->FilterIndex = 1;  // code page 1251 unless the user picks UTF-8
    if (!SaveDialog1->Execute()) return;
    Application& app = Application::Instance();
    std::optional<std::wstring> target = SaveFileName(SaveDialog1->FileName);
    if (!target) {
        app.MessageBox(kNoNameMessage, app.Title(), MB_OK);
        return;
    }
    const bool utf8 = SaveDialog1->FilterIndex == kUtf8FilterIndex;
    const ListEncoding encoding = utf8 ? ListEncoding::Utf8 : ListEncoding::CodePage1251;
    int replaced = WriteTextFile(*target, Memo1->Lines().Text(), encoding);
    if (replaced > 0 && !utf8)
        app.MessageBox(ReplacedCharactersMessage(replaced), app.Title(), MB_OK | MB_ICONWARNING);
}

}  // namespace census
