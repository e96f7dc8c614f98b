// The sounds page: the background sound list and listening to one entry.
#include "app/SaverUtils.h"
#include "editor/ListEdit.h"
#include "editor/win/FlashMainFrm.h"
#include "player/MPEGPlayer.h"
#include "player/win/MediaPlayer.h"
#include "ui/Application.h"

namespace qb {

using namespace ui;

namespace {

void SelectFocused(ListBox& list) {
    for (int i = 0; i < list.Items().Count(); ++i)
        if (list.Selected(i) && i != list.ItemIndex()) list.SetSelected(i, false);
    if (list.ItemIndex() >= 0) list.SetSelected(list.ItemIndex(), true);
}

}  // namespace

void TFlashMainFrm::SoundListBoxClick() {
    const bool ready = SoundListBox->ItemIndex() >= 0 && SoundListBox->Items().Count() > 0 && !playing_.Playing();
    btnPlay->SetEnabled(ready);
}

void TFlashMainFrm::btnAddSoundClick() {
    if (!soundPath_.empty()) op->SetInitialDir(soundPath_);
    if (op->Execute() && !op->Files().empty()) {
        soundPath_ = ExtractFilePath(op->Files().front());
        for (const std::string& path : op->Files()) SoundListBox->Items().Add(path);
        if (SoundListBox->ItemIndex() < 0) SoundListBox->SetItemIndex(0);
    }
    if (SoundListBox->Items().Count() > 0 && SoundListBox->ItemIndex() >= 0) {
        SelectFocused(*SoundListBox);
        SoundListBoxClick();
    }
}

void TFlashMainFrm::btnPlayClick() {
    if (SoundListBox->SelCount() == 0 || playing_.Playing()) return;
    const int index = SoundListBox->ItemIndex();
    if (index < 0) return;
    const std::string path = SoundListBox->Items()[index];
    const SoundKind kind = SoundKindOf(path);
    try {
        if (kind == SoundKind::Mp3) {
            TMPEGPlayer* mp3 = SaverUtils::SharedMp3Player;
            if (!mp3) throw std::runtime_error("no MP3 player");
            mp3->SetStreamName(path);
            mp3->Play();
        } else {
            MP->Open(path);
            MP->Play();
        }
    } catch (const std::exception&) {
        Message(Text(2), mbIconError);
        return;
    }
    playing_.Start(index, kind);
    btnStop->SetEnabled(true);
    btnPlay->SetEnabled(false);
}

void TFlashMainFrm::btnStopClick() {
    if (!playing_.Playing()) return;
    // A player that fails to stop is reported; the page still shows nothing playing.
    Application::Guarded([&] {
        if (playing_.Kind() == SoundKind::Mci) {
            MP->Close();
        } else if (TMPEGPlayer* mp3 = SaverUtils::SharedMp3Player; mp3 && mp3->GetPlayerMode() > 2) {
            mp3->Stop();
        }
    });
    SoundEnded();
}

void TFlashMainFrm::SoundEnded() {
    playing_.Stop();
    btnStop->SetEnabled(false);
    SoundListBoxClick();
}

void TFlashMainFrm::SoundTimerTimer() {
    if (playing_.Playing() && playing_.Kind() == SoundKind::Mci && MP->Stopped()) {
        MP->Close();
        SoundEnded();
    }
}

void TFlashMainFrm::MP3PlayEnd() {
    if (playing_.Playing() && playing_.Kind() == SoundKind::Mp3) SoundEnded();
}

void TFlashMainFrm::btnDelSoundClick() {
    const int count = SoundListBox->Items().Count();
    std::vector<bool> selected(count);
    for (int i = 0; i < count; ++i) selected[i] = SoundListBox->Selected(i);
    const std::vector<int> order = DeletionOrder(selected);
    if (order.empty()) return;
    for (int i : order) {
        const SoundKind kind = playing_.Kind();
        if (playing_.Deleting(i)) {
            // The sound goes before its entry; playing ended with it.
            Application::Guarded([&] {
                if (kind == SoundKind::Mci) MP->Close();
                else if (SaverUtils::SharedMp3Player) SaverUtils::SharedMp3Player->Close();
            });
            btnStop->SetEnabled(false);
        }
        SoundListBox->Items().Delete(i);
    }
    SoundListBox->SetItemIndex(FocusAfterDeletion(order.back(), SoundListBox->Items().Count()));
    SelectFocused(*SoundListBox);
    SoundListBoxClick();
}

void TFlashMainFrm::MoveSound(bool up) {
    const int count = SoundListBox->Items().Count();
    const Exchange e = up ? MoveUpExchange(SoundListBox->ItemIndex(), count) : MoveDownExchange(SoundListBox->ItemIndex(), count);
    if (e.Done()) {
        const std::string from = SoundListBox->Items()[e.from], to = SoundListBox->Items()[e.to];
        SoundListBox->Items().Set(e.from, to);
        SoundListBox->Items().Set(e.to, from);
        playing_.Exchanged(e.from, e.to);
        SoundListBox->SetItemIndex(e.to);
    }
    if (SoundListBox->ItemIndex() >= 0) {
        SelectFocused(*SoundListBox);
        SoundListBoxClick();
    }
}

}  // namespace qb
