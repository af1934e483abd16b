#include "shell/transfer/tree_data_object.h"

#include "shell/namespace/id_list_fixture.h"
#include "shell/namespace/com_object.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shell_tree.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::ListBytes;

const dropblocks::Bytes kParent = ListBytes({{1, 2, 3}});
const dropblocks::Bytes kItem = ListBytes({{4, 5}});

ComPtr<IDataObject> Make(const std::wstring& path) {
    return MakeTreeDataObject(reinterpret_cast<PCIDLIST_ABSOLUTE>(kParent.data()),
                              reinterpret_cast<PCUITEMID_CHILD>(kItem.data()), path);
}

FORMATETC Format(CLIPFORMAT cf, DWORD aspect = DVASPECT_CONTENT, DWORD tymed = TYMED_HGLOBAL) {
    return {cf, nullptr, aspect, -1, tymed};
}

dropblocks::Bytes Fetch(IDataObject* data, CLIPFORMAT cf) {
    FORMATETC f = Format(cf);
    ReceivedMedium medium;
    EXPECT_HRESULT_SUCCEEDED(data->GetData(&f, medium.put()));
    EXPECT_EQ(medium.get().pUnkForRelease, nullptr) << "the copy is the caller's";
    LockedGlobal locked(medium.get().hGlobal);
    return dropblocks::Bytes(locked.data(), locked.data() + locked.size());
}

TEST(TreeDataObject, OffersBothBlocksInOrderAndAFreshCopyEachTime) {
    ComPtr<IDataObject> data = Make(L"C:\\Папка");
    EXPECT_EQ(Fetch(data.get(), ShellIdListFormat()), dropblocks::WriteIdListArray(kParent, {kItem}));
    EXPECT_EQ(Fetch(data.get(), CF_HDROP), dropblocks::WriteFileDrop({L"C:\\Папка"}));
    EXPECT_EQ(ReadDroppedPaths(data.get()), std::vector<std::wstring>{L"C:\\Папка"});

    ComPtr<IEnumFORMATETC> formats;
    ASSERT_HRESULT_SUCCEEDED(data->EnumFormatEtc(DATADIR_GET, formats.put()));
    FORMATETC got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(formats->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].cfFormat, ShellIdListFormat());
    EXPECT_EQ(got[1].cfFormat, CF_HDROP);
    for (const FORMATETC& f : {got[0], got[1]}) {
        EXPECT_EQ(f.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
        EXPECT_EQ(f.lindex, -1);
        EXPECT_EQ(f.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
        EXPECT_EQ(f.ptd, nullptr);
    }
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(1), S_OK);
    ComPtr<IEnumFORMATETC> clone;
    ASSERT_HRESULT_SUCCEEDED(formats->Clone(clone.put()));
    EXPECT_EQ(formats->Skip(2), S_FALSE) << "fewer left than asked: at the end";
    EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_OK) << "the clone keeps its own position";
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
}

TEST(TreeDataObject, AnswersEveryRequest) {
    ComPtr<IDataObject> data = Make(L"C:\\a");
    ComPtr<IDataObject> virtual_item = Make(L"");
    struct Case {
        const char* name;
        IDataObject* object;
        FORMATETC format;
        HRESULT answer;
    } cases[] = {
        {"id list", data.get(), Format(ShellIdListFormat()), S_OK},
        {"file drop", data.get(), Format(CF_HDROP), S_OK},
        {"any of several storages", data.get(), Format(CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM), S_OK},
        {"wrong aspect", data.get(), Format(CF_HDROP, DVASPECT_ICON), DV_E_FORMATETC},
        {"wrong storage", data.get(), Format(CF_HDROP, DVASPECT_CONTENT, TYMED_ISTREAM), DV_E_TYMED},
        {"format not offered", data.get(), Format(CF_TEXT), DV_E_FORMATETC},
        {"no file drop for a virtual item", virtual_item.get(), Format(CF_HDROP), DV_E_FORMATETC},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.object->QueryGetData(&c.format), c.answer) << c.name;
        ReceivedMedium medium;
        EXPECT_EQ(c.object->GetData(&c.format, medium.put()), c.answer) << c.name;
    }
    FORMATETC f = Format(CF_HDROP);
    STGMEDIUM m{};
    EXPECT_EQ(data->GetDataHere(&f, &m), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&f, &m, FALSE), E_NOTIMPL);
    FORMATETC canonical = f;
    canonical.ptd = reinterpret_cast<DVTARGETDEVICE*>(&m);
    EXPECT_EQ(data->GetCanonicalFormatEtc(&f, &canonical), E_NOTIMPL);
    EXPECT_EQ(canonical.ptd, nullptr);
    ComPtr<IEnumFORMATETC> formats;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, formats.put()), E_NOTIMPL);
    DWORD connection = 0;
    EXPECT_EQ(data->DAdvise(&f, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(data->DUnadvise(0), OLE_E_ADVISENOTSUPPORTED);
    IEnumSTATDATA* advises = nullptr;
    EXPECT_EQ(data->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
}

TEST(TreeDataObject, CommonAttributesComeFromTheIdListBlock) {
    testing::TempTree temp;
    temp.Dir(L"folder");
    UniqueIdList parent, item;
    ASSERT_HRESULT_SUCCEEDED(ParsePath(temp.Root(), parent));
    UniqueIdList whole;
    ASSERT_HRESULT_SUCCEEDED(ParsePath(temp.Path(L"folder"), whole));
    IdListArray items(whole.get());
    ComPtr<IDataObject> data =
        MakeTreeDataObject(parent.get(), items.SingleItem(items.ItemCount() - 1), temp.Path(L"folder"));
    EXPECT_NE(CommonDropAttributes(data.get()) & DROPEFFECT_COPY, 0u);
    EXPECT_EQ(CommonDropAttributes(data.get()) & ~7u, 0u);
    EXPECT_EQ(CommonDropAttributes(nullptr), 7u) << "no block: everything";
}

TEST(TreeDropSource, ContinuesDropsOrCancelsByButtonsAndEscape) {
    struct Case {
        MouseButton button;
        BOOL escape;
        DWORD keys;
        HRESULT answer;
    } cases[] = {
        {MouseButton::Left, FALSE, MK_LBUTTON, S_OK},
        {MouseButton::Left, FALSE, MK_LBUTTON | MK_CONTROL, S_OK},
        {MouseButton::Left, FALSE, 0, DRAGDROP_S_DROP},
        {MouseButton::Left, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {MouseButton::Left, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {MouseButton::Left, FALSE, MK_MBUTTON, DRAGDROP_S_CANCEL},
        {MouseButton::Right, FALSE, MK_RBUTTON, S_OK},
        {MouseButton::Right, FALSE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {MouseButton::Right, FALSE, MK_SHIFT, DRAGDROP_S_DROP},
    };
    for (const Case& c : cases) {
        ComPtr<IDropSource> source = ShellTree::CreateDropSource(c.button);
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.answer) << c.keys << " " << c.escape;
        EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    }
}

}  // namespace
}  // namespace census
