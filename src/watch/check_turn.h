#pragma once

namespace quillcrest {

// Whether a check of the watch may run now. The program has two checks (the DNS server list's and the wider
// one of the settings that decide where names go), and ticks and early checks keep arriving inside the modal
// windows of either. One check at a time waits for the user: while one shows its alert, asks its question or
// makes the change the user chose, no check runs, so two alerts never stack and only the decision shown is
// carried out; whichever alert comes first, the other check finds nothing to do until it is answered. Nor does
// a check run while the program makes a DNS change of its own (Apply, the Ctrl reset, the restore on close):
// the references are renewed only when such a change ends, and a check in between would take the user's own
// change for someone else's.
class CheckTurn {
  public:
    bool Free() const { return !waitingForUser_ && ownChanges_ == 0; }

    // Held by a check from the moment it reads until it is done with the user, also when an error ends it.
    class UserWait {
      public:
        explicit UserWait(CheckTurn& turn) : turn_(turn), waitingBefore_(turn.waitingForUser_) {
            turn_.waitingForUser_ = true;
        }
        ~UserWait() { turn_.waitingForUser_ = waitingBefore_; }
        UserWait(const UserWait&) = delete;
        UserWait& operator=(const UserWait&) = delete;

      private:
        CheckTurn& turn_;
        bool waitingBefore_;
    };

    // Held for as long as one of the program's own DNS changes lasts.
    class OwnChange {
      public:
        explicit OwnChange(CheckTurn& turn) : turn_(turn) { ++turn_.ownChanges_; }
        ~OwnChange() { --turn_.ownChanges_; }
        OwnChange(const OwnChange&) = delete;
        OwnChange& operator=(const OwnChange&) = delete;

      private:
        CheckTurn& turn_;
    };

  private:
    bool waitingForUser_ = false;
    int ownChanges_ = 0;
};

}  // namespace quillcrest
