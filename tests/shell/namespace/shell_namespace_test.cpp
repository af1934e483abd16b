#include "shell/namespace/shell_namespace.h"
#include "shell/namespace/system_image_list.h"

#include "shell/namespace/id_list_fixture.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstring>

namespace census {
namespace {

using testing::BytesOf;
using testing::TempTree;

UniqueIdList Parsed(const std::wstring& path) {
    UniqueIdList list;
    EXPECT_HRESULT_SUCCEEDED(ParsePath(path, list)) << path;
    return list;
}

UniqueIdList Special(int csidl) {
    UniqueIdList list;
    EXPECT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, list.put()));
    return list;
}

TEST(ShellNamespace, PathsOfDesktopDriveRootFolderAndVirtualFolder) {
    TempTree temp;
    temp.Dir(L"Inner");
    const std::wstring desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
    ASSERT_FALSE(desktop.empty());
    UniqueIdList empty = CopyIdList(nullptr);

    EXPECT_EQ(GetPathFromIdList(nullptr), desktop);
    EXPECT_EQ(GetPathFromIdList(empty.get()), desktop);
    EXPECT_EQ(GetPathFromIdList(Parsed(L"C:\\").get()), L"C:\\");
    EXPECT_EQ(GetPathFromIdList(Parsed(temp.Path(L"Inner")).get()), temp.Path(L"Inner"));
    EXPECT_EQ(GetPathFromIdList(Special(CSIDL_DRIVES).get()), L"");
}

TEST(ShellNamespace, ParseRefusesMissingAndOverlongPaths) {
    TempTree temp;
    UniqueIdList list;
    EXPECT_HRESULT_FAILED(ParsePath(temp.Path(L"missing\\deeper"), list));
    EXPECT_FALSE(list);
    EXPECT_HRESULT_FAILED(ParsePath(L"C:\\" + std::wstring(300, L'a'), list));
    EXPECT_FALSE(list);
}

TEST(ShellNamespace, BindSplitAndName) {
    TempTree temp;
    temp.Dir(L"Child");
    UniqueIdList child = Parsed(temp.Path(L"Child"));

    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item;
    ASSERT_HRESULT_SUCCEEDED(SplitParentAndItem(child.get(), parent, parent_list, item));
    EXPECT_EQ(GetPathFromIdList(parent_list.get()), temp.Root());
    EXPECT_EQ(IdListArray(item.get()).ItemCount(), 1);
    EXPECT_EQ(ItemDisplayName(parent.get(), item.get(), DisplayNameKind::InFolder), L"Child");
    EXPECT_EQ(ItemDisplayName(parent.get(), item.get(), DisplayNameKind::ForParsing), temp.Path(L"Child"));
    EXPECT_EQ(ItemDisplayName(parent.get(), item.get(), DisplayNameKind::ForEditing), L"Child");

    ComPtr<IShellFolder> bound;
    ASSERT_HRESULT_SUCCEEDED(BindToFolder(parent_list.get(), bound));
    ComPtr<IShellFolder> desktop;
    ASSERT_HRESULT_SUCCEEDED(BindToFolder(nullptr, desktop));
    EXPECT_TRUE(desktop);

    // One item: the parent is the desktop and there is no parent list.
    UniqueIdList drives = Special(CSIDL_DRIVES);
    ASSERT_HRESULT_SUCCEEDED(SplitParentAndItem(drives.get(), parent, parent_list, item));
    EXPECT_FALSE(parent_list);
    EXPECT_EQ(BytesOf(item.get()), BytesOf(drives.get()));
    EXPECT_FALSE(ItemDisplayName(nullptr, drives.get(), DisplayNameKind::InFolder).empty());
}

TEST(ShellNamespace, DesktopSplitsAsItsDirectory) {
    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item;
    ASSERT_HRESULT_SUCCEEDED(SplitParentAndItem(nullptr, parent, parent_list, item));
    UniqueIdList whole = ConcatIdLists(parent_list.get(), item.get());
    EXPECT_EQ(GetPathFromIdList(whole.get()), GetSpecialFolderPath(CSIDL_DESKTOP));
}

TEST(ShellNamespace, NameRecordsInAllThreeForms) {
    const testing::Bytes item_bytes = testing::ListBytes({{'x', 'N', 'a', 'm', 'e', 0}});
    auto item = reinterpret_cast<PCUITEMID_CHILD>(item_bytes.data());

    STRRET wide{};
    wide.uType = STRRET_WSTR;
    wide.pOleStr = static_cast<wchar_t*>(CoTaskMemAlloc(6 * sizeof(wchar_t)));
    std::memcpy(wide.pOleStr, L"Wide!", 6 * sizeof(wchar_t));
    EXPECT_EQ(TakeNameRecord(wide, item), L"Wide!");

    STRRET offset{};
    offset.uType = STRRET_OFFSET;
    offset.uOffset = 3;  // past the count and the 'x'
    EXPECT_EQ(TakeNameRecord(offset, item), L"Name");
    offset.uOffset = 400;
    EXPECT_EQ(TakeNameRecord(offset, item), L"") << "an offset outside the item";

    STRRET inline_text{};
    inline_text.uType = STRRET_CSTR;
    std::strcpy(inline_text.cStr, "Inline");
    EXPECT_EQ(TakeNameRecord(inline_text, item), L"Inline");
    std::memset(inline_text.cStr, 'z', sizeof inline_text.cStr);
    EXPECT_EQ(TakeNameRecord(inline_text, item), std::wstring(MAX_PATH, L'z')) << "no NUL: read stops at the buffer";
}

TEST(ShellNamespace, IconsAndSystemImageLists) {
    TempTree temp;
    HIMAGELIST small_list = GetSystemImageList(true);
    HIMAGELIST large_list = GetSystemImageList(false);
    ASSERT_NE(small_list, nullptr);
    ASSERT_NE(large_list, nullptr);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(small_list, &cx, &cy);
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
    ImageList_GetIconSize(large_list, &cx, &cy);
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(GetSystemImageList(true), small_list);

    UniqueIdList folder = Parsed(temp.Root());
    const int closed = GetItemIconIndex(folder.get(), kSmallIcon);
    EXPECT_GT(closed, 0);
    EXPECT_LT(closed, ImageList_GetImageCount(small_list));
    EXPECT_GE(GetItemIconIndex(folder.get(), kSmallOpenIcon), 0);
}

TEST(ShellNamespace, PathsEndInABackslashOnlyAtADriveRoot) {
    struct Case {
        int csidl;
        bool drive_root;
    } cases[] = {{CSIDL_PERSONAL, false}, {CSIDL_DESKTOPDIRECTORY, false}, {CSIDL_WINDOWS, false}};
    for (const Case& c : cases) {
        const std::wstring path = GetSpecialFolderPath(c.csidl);
        ASSERT_GT(path.size(), 3u) << c.csidl;
        EXPECT_NE(path.back(), L'\\') << path;
    }
    UniqueIdList drive = Parsed(L"C:\\");
    EXPECT_EQ(GetPathFromIdList(drive.get()), L"C:\\");
}

TEST(ShellNamespace, PlatformFacts) {
    EXPECT_TRUE(Platform().nt_family);
    EXPECT_GE(Platform().common_controls_version, 0x00040046u);
    EXPECT_EQ(ModuleFileVersion(L"no_such_module_here.dll"), 0u);
}

}  // namespace
}  // namespace census
