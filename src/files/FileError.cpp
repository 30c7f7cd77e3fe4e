#include "files/FileError.h"

#include <cerrno>
#include <new>

namespace tessaro {

FileError unexpectedFileError(int label, const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return {label, 7, "メモリが不足しています。"};
    return {label, 51, std::string("内部エラーです。（") + e.what() + "）"};
}

FileError ioError(int label, int err, bool writing)
{
    switch (err) {
    case ENOENT:
        return writing ? FileError{label, 76, "パスが見つかりません。"} : FileError{label, 53, "ファイルが見つかりません。"};
    case ENOTDIR:
        return {label, 76, "パスが見つかりません。"};
    case EACCES:
    case EPERM:
        return {label, 70, "アクセスが拒否されました。"};
    case EROFS:
        return {label, 70, "読み取り専用の場所には書き込めません。"};
    case ENOSPC:
    case EDQUOT:
        return {label, 61, "ディスクの空き容量が不足しています。"};
    case EFBIG:
        return {label, 61, "ファイルサイズの上限を超えるため書き込めません。"};
    case EISDIR:
        return {label, 75, "フォルダーはファイルとして使えません。"};
    case ENAMETOOLONG:
        return {label, 52, "ファイル名が長すぎます。"};
    case ELOOP:
        return {label, 75, "シンボリックリンクが循環しているか、深すぎます。"};
    case EIO:
        return {label, 57, "デバイス I/O エラーが発生しました。"};
    default:
        return {label, 75, "パスまたはファイルにアクセスできません。（errno " + std::to_string(err) + "）"};
    }
}

}  // namespace tessaro
