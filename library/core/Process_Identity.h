#pragma once

#include <QString>

// Who runs a piece of work, in a form another process can judge: the machine, its boot, the
// process-id namespace, the process id and the process's start time. Files that a process
// records as its own work in progress carry this text; a clean-up takes over only the work of
// a process that is surely gone.
//
// Judged through /proc: a process of this machine, boot and namespace is alive while
// /proc/<pid> exists with the recorded start time (so a reused process id is no match); one of
// an earlier boot of this machine is gone. Whatever cannot be judged here (another machine,
// another namespace, a text this program did not make) counts as unknown, and nothing of it
// is ever taken over. No file, lock or clock is involved, so nothing is left behind by a kill.
class Process_Identity {
public:
    enum State { Alive, Gone, Unknown };

    // This process; the same text for the whole run. Empty when /proc cannot tell.
    static QString current();
    static State stateOf(const QString& identity);
};
