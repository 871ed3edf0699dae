#pragma once

namespace tw::copy {

// The pause, cancel-request and stop flags of one run: the one place that holds them. The
// front end's Pause and Cancel write them; the run reads them and asks the stop question.
class RunFlags {
public:
    bool paused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }

    // Cancel pressed: the run asks the stop question at its next look.
    void requestCancel() { m_cancelRequest = true; }
    bool cancelRequested() const { return m_cancelRequest; }
    // The stop question was answered No.
    void withdrawCancel() { m_cancelRequest = false; }

    // The user confirmed the stop (from the stop question or the collision dialog).
    void confirmStop() { m_stop = true; }
    bool stopped() const { return m_stop; }

    // What the report says: a cancel pressed and not withdrawn, or a confirmed stop.
    bool cancelled() const { return m_cancelRequest || m_stop; }

private:
    bool m_paused = false;
    bool m_cancelRequest = false;
    bool m_stop = false;
};

} // namespace tw::copy
