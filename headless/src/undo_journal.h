#pragma once
// Headless host: the undo journal of one drawing.
//
// It listens to the database: an appended object, the state of an object
// before its first change in each open (a clone() snapshot) and erasures are
// written into the current step, and so are view changes. Stepping back
// undoes the changes of a step in reverse order: appended objects are
// erased, snapshots are put back with copyFrom, erasures are reversed. Objects
// whose class cannot be cloned (symbol tables, block records, dictionaries) keep
// their changes. Objects appended in a step are never snapshotted in it.
#include <memory>
#include <unordered_set>
#include <vector>

#include "dbmain.h"

namespace host_detail {

struct DocEditor;

class UndoJournal : public AcDbDatabaseReactor {
public:
    UndoJournal(AcDbDatabase* db, DocEditor* editor);
    ~UndoJournal() override;
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    short undoctl() const;
    int marks() const { return m_marks; }
    int stepCount() const;
    bool groupOpen() const { return m_inGroup; }

    void setEnabled(bool enabled, bool oneStep);
    void setAuto(bool on) { m_auto = on; }
    // Step boundaries.
    void beginCommand();
    void endCommand();
    void beginGroup();
    bool endGroup();
    void mark();
    // Steps back the last step (a mark on top is removed first); false when
    // there was nothing to step back.
    bool stepBack();
    // Steps back to the last mark (or everything); answers the steps undone.
    int backToMark();

    void recordView(const AcGePoint3d& center, double height);

    void objectAppended(const AcDbDatabase*, const AcDbObject* obj) override;
    void objectOpenedForModify(const AcDbDatabase*, const AcDbObject* obj) override;
    void objectErased(const AcDbDatabase*, const AcDbObject* obj, bool erasing) override;

private:
    // Kept small: a step of a million appends is ordinary.
    struct Change {
        enum Kind : unsigned char { kAppended, kModified, kErased, kView };
        AcDbObjectId id;                       // kView: index into Step::views
        std::unique_ptr<AcRxObject> snapshot;  // kModified
        Kind kind;
        bool erasing;
    };
    struct View {
        AcGePoint3d center;
        double height;
    };
    struct Step {
        std::vector<Change> changes;
        std::vector<View> views;
        // Handles above this were made in the step (handles only grow).
        Adesk::UInt64 lastOldHandle = 0;
        std::unordered_set<AcDbObjectId> snapped;
        bool isMark = false;
    };
    Step newStep() const;
    bool recording() const { return m_enabled && !m_replaying; }
    void closePending();
    void revert(Step& step);

    AcDbDatabase* m_db;
    DocEditor* m_editor;
    std::vector<Step> m_steps;
    Step m_pending;
    int m_marks = 0;
    bool m_enabled = true;
    bool m_one = false;
    bool m_auto = false;
    bool m_inGroup = false;
    bool m_replaying = false;
};

}  // namespace host_detail
