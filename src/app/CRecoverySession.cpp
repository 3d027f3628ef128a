#include "app/CRecoverySession.h"

#include "editor/CDocRecovery.h"
#include "editor/CDocVersions.h"
#include "editor/CKESTRIX_2Doc.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/file/AtomicFileWriter.h"
#include "platform/file/FileErrorText.h"
#include "platform/recovery/RecoveryStore.h"
#include "platform/recovery/RecoveryWriter.h"
#include "platform/recovery/VersionStore.h"
#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QApplication>
#include <QObject>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// The name the user knows a record's document by.
std::string Shown(const RecoveryRecord& record)
{
    if (record.path.empty())
        return record.title;
    return sjis::FromUtf8(record.path);
}

} // namespace

CRecoverySession::CRecoverySession(const std::string& folder)
    : notices_(std::make_unique<QObject>()), store_(std::make_unique<RecoveryStore>(folder))
{
}

CRecoverySession::~CRecoverySession()
{
    if (versions_ && CDocVersions::Store() == versions_.get()) {
        CDocVersions::SetStore(nullptr);
        CDocVersions::SetFailureListener(nullptr);
    }
    if (writer_ && CDocRecovery::Writer() == writer_.get())
        CDocRecovery::SetWriter(nullptr);
    writer_.reset(); // finishes the writes already queued
}

bool CRecoverySession::Start()
{
    const settings::VersionSettings limits = settings::LoadVersionSettings();
    versions_ = std::make_unique<VersionStore>(
        VersionStore::DefaultFolder(),
        VersionStore::Limits{int(limits.count), std::int64_t(limits.megabytes) << 20});
    CDocVersions::SetStore(versions_.get());
    // Saves run on the UI thread, so a version that could not be kept is
    // told at once; the save itself has gone well.
    CDocVersions::SetFailureListener([](const std::string& path, int error) {
        MessageBox(QApplication::activeWindow(),
                   J("保存は完了しましたが、置き換えた以前の版を残せませんでした。\n") +
                       sjis::FromUtf8(path) + "\n" + sjis::FromUtf8(VersionStore::DefaultFolder()) + "\n" +
                       FileErrorText::Of(error),
                   J("通知"), MB_OK | MB_ICONEXCLAMATION);
    });
    if (store_->Open() != 0)
        return false;
    writer_ = std::make_unique<RecoveryWriter>(*store_);
    writer_->SetFailureListener([this](int error) {
        // On the writer's thread: the notice goes to the UI thread, and is
        // dropped if the session has ended meanwhile.
        QMetaObject::invokeMethod(
            notices_.get(), [this, error] { TellFailure(error); }, Qt::QueuedConnection);
    });
    CDocRecovery::SetWriter(writer_.get());
    return true;
}

void CRecoverySession::TellFailure(int error) const
{
    MessageBox(QApplication::activeWindow(),
               J("保存されていない変更を、復元用のファイルに書き込めません。\n") +
                   sjis::FromUtf8(store_->SessionFolder()) + "\n" + FileErrorText::Of(error) +
                   J("\nこのままでは、プログラムが異常終了したときに変更が失われます。"
                     "変更はこまめに保存してください。"),
               J("通知"), MB_OK | MB_ICONEXCLAMATION);
}

void CRecoverySession::ReloadSettings()
{
    if (!versions_)
        return;
    const settings::VersionSettings limits = settings::LoadVersionSettings();
    versions_->SetLimits(VersionStore::Limits{int(limits.count), std::int64_t(limits.megabytes) << 20});
}

int CRecoverySession::Offer(CMultiDocTemplate& docs, QWidget* owner)
{
    if (!store_->IsOpen())
        return 0;
    int restored = 0;
    for (const RecoveryRecord& record : store_->ClaimOrphans()) {
        const std::string question = J("「") + Shown(record) +
                                     J("」の保存されていない変更が残っています。復元しますか?\n"
                                       "(「いいえ」を選ぶと、この変更は破棄されます。)");
        switch (MessageBox(owner, question, J("通知"), MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            if (Restore(record, docs, owner)) {
                store_->Forget(record);
                ++restored;
            }
            break;
        case IDNO: store_->Forget(record); break;
        default: break; // asked again on the next start
        }
    }
    store_->ReleaseClaims();
    return restored;
}

bool CRecoverySession::Restore(const RecoveryRecord& record, CMultiDocTemplate& docs, QWidget* owner)
{
    // A read-only file's text, and a new script's, come back as a new script.
    const std::string original = record.readOnly ? std::string() : record.path;
    if (!original.empty()) {
        struct stat st {};
        if (::stat(original.c_str(), &st) != 0) {
            MessageBox(owner,
                       J("「") + Shown(record) +
                           J("」はディスク上にありません。復元した内容は、保存すると新しく作られます。"),
                       J("通知"), MB_OK | MB_ICONEXCLAMATION);
        } else if (std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec != record.diskTime ||
                   st.st_size != record.diskSize) {
            MessageBox(owner,
                       J("「") + Shown(record) +
                           J("」は、この変更の後にディスク上で変更されています。"
                             "復元した内容を保存すると、ディスク上の変更は失われます。"),
                       J("通知"), MB_OK | MB_ICONEXCLAMATION);
        }
    }
    // The text is read back the way a file is opened, from a private copy in
    // this copy's own folder.
    const std::string copy = store_->SessionFolder() + "/restore.tmp";
    AtomicFileWriter::Options options;
    options.links = AtomicFileWriter::Links::Replace;
    options.mode = 0600;
    bool ok = AtomicFileWriter::Write(copy, record.body, options) == 0;
    if (ok) {
        auto* doc = dynamic_cast<CKESTRIX_2Doc*>(docs.OpenDocumentFile({}));
        ok = doc && doc->RestoreRecovered(copy, original);
        if (doc && !ok)
            docs.CloseDocument(doc);
    }
    ::unlink(copy.c_str());
    if (!ok)
        MessageBox(owner, J("「") + Shown(record) + J("」の変更を復元できませんでした。"), "Error",
                   MB_OK | MB_ICONEXCLAMATION);
    return ok;
}

void CRecoverySession::End()
{
    if (writer_) {
        CDocRecovery::SetWriter(nullptr);
        writer_.reset();
    }
    store_->Close();
}
