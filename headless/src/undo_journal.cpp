// Headless host: the undo journal (see undo_journal.h).
#include "undo_journal.h"

#include "editor_internal.h"

namespace host_detail {

UndoJournal::UndoJournal(AcDbDatabase* db, DocEditor* editor) : m_db(db), m_editor(editor) {
    m_pending = newStep();
    m_db->addReactor(this);
}

UndoJournal::Step UndoJournal::newStep() const {
    Step step;
    step.lastOldHandle = static_cast<Adesk::UInt64>(m_db->numObjects());
    return step;
}

UndoJournal::~UndoJournal() { m_db->removeReactor(this); }

short UndoJournal::undoctl() const {
    if (!m_enabled) return 0;
    return static_cast<short>(1 | (m_one ? 2 : 0) | (m_auto ? 4 : 0) | (m_inGroup ? 8 : 0));
}

int UndoJournal::stepCount() const {
    int n = m_pending.changes.empty() ? 0 : 1;
    for (const auto& s : m_steps)
        if (!s.isMark) ++n;
    return n;
}

void UndoJournal::setEnabled(bool enabled, bool oneStep) {
    m_enabled = enabled;
    m_one = enabled && oneStep;
    if (!enabled) {
        m_steps.clear();
        m_pending = newStep();
        m_inGroup = false;
        m_marks = 0;
    } else if (m_one) {
        closePending();
    }
}

void UndoJournal::closePending() {
    if (!m_pending.changes.empty()) {
        m_steps.push_back(std::move(m_pending));
        if (m_one) {
            m_steps.erase(m_steps.begin(), m_steps.end() - 1);
            m_marks = 0;
        }
    }
    m_pending = newStep();
}

void UndoJournal::beginCommand() {
    if (!m_inGroup) closePending();
}

void UndoJournal::endCommand() {
    if (!m_inGroup) closePending();
}

void UndoJournal::beginGroup() {
    closePending();
    if (m_enabled && !m_one) m_inGroup = true;
}

bool UndoJournal::endGroup() {
    if (!m_inGroup) return false;
    closePending();
    m_inGroup = false;
    return true;
}

void UndoJournal::mark() {
    if (!m_enabled || m_one) return;
    endGroup();
    closePending();
    Step marker;
    marker.isMark = true;
    m_steps.push_back(std::move(marker));
    ++m_marks;
}

bool UndoJournal::stepBack() {
    endGroup();
    closePending();
    while (!m_steps.empty() && m_steps.back().isMark) {
        m_steps.pop_back();
        --m_marks;
    }
    if (m_steps.empty()) return false;
    Step step = std::move(m_steps.back());
    m_steps.pop_back();
    revert(step);
    return true;
}

int UndoJournal::backToMark() {
    endGroup();
    closePending();
    int undone = 0;
    while (!m_steps.empty() && !m_steps.back().isMark) {
        Step step = std::move(m_steps.back());
        m_steps.pop_back();
        revert(step);
        ++undone;
    }
    if (!m_steps.empty()) {
        m_steps.pop_back();
        --m_marks;
    }
    return undone;
}

void UndoJournal::revert(Step& step) {
    m_replaying = true;
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
        Change& c = *it;
        if (c.kind == Change::kView) {
            const View& v = step.views[static_cast<std::size_t>(c.id.handle())];
            m_editor->viewCenter = v.center;
            m_editor->viewSize = v.height;
            continue;
        }
        // An object a client still holds open, or one on a locked layer, keeps its state.
        AcDbObject* obj = nullptr;
        if (acdbOpenAcDbObject(obj, c.id, AcDb::kForWrite, true) != Acad::eOk) continue;
        switch (c.kind) {
        case Change::kAppended:
            if (!obj->isErased()) obj->erase(true);
            break;
        case Change::kModified:
            obj->copyFrom(c.snapshot.get());
            break;
        case Change::kErased:
            obj->erase(!c.erasing);
            break;
        case Change::kView:
            break;
        }
        obj->close();
    }
    m_replaying = false;
}

void UndoJournal::recordView(const AcGePoint3d& center, double height) {
    if (!recording()) return;
    const auto index = static_cast<Adesk::UInt32>(m_pending.views.size());
    m_pending.views.push_back(View{center, height});
    m_pending.changes.push_back(Change{AcDbObjectId::fromParts(m_db->serial(), index), nullptr, Change::kView, false});
}

void UndoJournal::objectAppended(const AcDbDatabase*, const AcDbObject* obj) {
    if (!recording()) return;
    m_pending.changes.push_back(Change{obj->objectId(), nullptr, Change::kAppended, false});
}

void UndoJournal::objectOpenedForModify(const AcDbDatabase*, const AcDbObject* obj) {
    if (!recording()) return;
    const AcDbObjectId id = obj->objectId();
    if (id.handle() > m_pending.lastOldHandle || m_pending.snapped.count(id)) return;
    std::unique_ptr<AcRxObject> copy(obj->clone());
    if (!copy) return;
    m_pending.snapped.insert(id);
    m_pending.changes.push_back(Change{id, std::move(copy), Change::kModified, false});
}

void UndoJournal::objectErased(const AcDbDatabase*, const AcDbObject* obj, bool erasing) {
    if (!recording()) return;
    m_pending.changes.push_back(Change{obj->objectId(), nullptr, Change::kErased, erasing});
}

UndoJournal& JournalOf(DocEditor& ed) { return *ed.undo; }

}  // namespace host_detail
