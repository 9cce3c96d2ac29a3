#pragma once
// The real sound player: wave files through Qt Multimedia's QSoundEffect.
// A file that is missing, cannot be decoded or never reports its end counts
// as a failure with an error text, so the answer cues' failure count sees it.

#include "core/services.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class QSoundEffect;

class QtSoundPlayer final : public QObject, public SoundPlayer {
  public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    void play(const QString& file, Done done) override;

  private:
    QHash<QString, QSoundEffect*> effects_;           // loaded once, played many times
    QHash<QSoundEffect*, QPointer<QObject>> playing_; // the play each effect reports to
};

// How long a wave file plays, from its header; 0 when the header cannot tell.
qint64 waveDurationMs(const QString& file);
