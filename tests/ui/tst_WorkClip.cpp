// The work panel's animation clip, assets/Quillon.a01: a looping GIF that
// Qt plays, 48 x 45, with the stop frame 14 reachable and every frame a step
// of the motion.

#include <QDir>
#include <QMovie>
#include <QSet>
#include <QtTest>

namespace {

QString clipPath()
{
    return QDir(QStringLiteral(QUILLON_TEST_DATA)).filePath(QStringLiteral("../../assets/Quillon.a01"));
}

} // namespace

class tst_WorkClip : public QObject {
    Q_OBJECT

private slots:
    void clip_readAsLoopingGif();
    void stopFrame_reachedByJumpOrBySteps();
    void frames_allDifferWithClearBackground();
};

void tst_WorkClip::clip_readAsLoopingGif()
{
    QVERIFY2(QFile::exists(clipPath()), qPrintable(clipPath()));
    QMovie movie(clipPath(), "gif");
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() >= 15);
    QVERIFY(movie.jumpToFrame(0));
    QCOMPARE(movie.frameRect().size(), QSize(48, 45));
    QCOMPARE(movie.currentImage().size(), QSize(48, 45));
    QCOMPARE(movie.loopCount(), -1); // for ever
    QVERIFY(movie.nextFrameDelay() >= 50 && movie.nextFrameDelay() <= 120);
}

void tst_WorkClip::stopFrame_reachedByJumpOrBySteps()
{
    // A GIF cannot be read out of order: a direct jump needs the frames cached.
    QMovie cached(clipPath(), "gif");
    cached.setCacheMode(QMovie::CacheAll);
    QVERIFY(cached.jumpToFrame(14));
    QCOMPARE(cached.currentFrameNumber(), 14);
    QCOMPARE(cached.currentImage().size(), QSize(48, 45));

    QMovie stepped(clipPath(), "gif");
    QVERIFY(stepped.jumpToFrame(0));
    for (int frame = 1; frame <= 14; ++frame)
        QVERIFY2(stepped.jumpToNextFrame(), qPrintable(QString::number(frame)));
    QCOMPARE(stepped.currentFrameNumber(), 14);
    QCOMPARE(stepped.currentImage(), cached.currentImage());
}

void tst_WorkClip::frames_allDifferWithClearBackground()
{
    QMovie movie(clipPath(), "gif");
    movie.setCacheMode(QMovie::CacheAll);
    QSet<QByteArray> distinct;
    for (int frame = 0; frame < movie.frameCount(); ++frame) {
        QVERIFY(movie.jumpToFrame(frame));
        const QImage picture = movie.currentImage().convertToFormat(QImage::Format_ARGB32);
        distinct.insert(QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
        // Corners show the panel behind, whatever its colour.
        for (const QPoint corner : {QPoint(0, 0), QPoint(47, 0), QPoint(0, 44), QPoint(47, 44)})
            QCOMPARE(qAlpha(picture.pixel(corner)), 0);
    }
    QCOMPARE(distinct.size(), movie.frameCount());
}

QTEST_MAIN(tst_WorkClip)
#include "tst_WorkClip.moc"
