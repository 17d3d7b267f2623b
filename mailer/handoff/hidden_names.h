#pragma once
#include <QString>

// Every hidden name the hand-off gives a file, made and read back here and nowhere else.
//
// A run has a run id (32 hex digits, random). Each attempt at a statement has a token T,
// "<run>-<n>" with a "d" after the counter when a detail file belongs to the statement. Every
// file of the attempt carries T, and a file that a run may hand to another carries its owner:
//
//   out\.<pdf>.<T>.<writer>          the PDF, written whole before the claim (staged)
//   store\.STMT_<account>.<T>.TXT    the request, bound to T before the claim
//   store\.FILE_<account>.<T>.TXT    an empty marker in its place for a statement not mailed
//   temp\.<name>.<T>.<owner>.claimed     the statement, claimed
//   tempdet\.<name>.<T>.<owner>.claimed  its detail file, claimed
//   store\.brevix.<run>.alive        the run's heartbeat
//
// Names are read from the right, so a statement name or an account may hold dots.
namespace handoff {

/// A new run id: 128 random bits as 32 lower-case hex digits.
QString newRunId();
bool isRunId(const QString& text);

/// The token of a run's n-th attempt.
QString attemptToken(const QString& runId, quint64 n, bool withDetail);
bool isToken(const QString& text);
/// The run that made the token.
QString runOfToken(const QString& token);
/// Whether a detail file belongs to the attempt.
bool tokenHasDetail(const QString& token);

/// A claimed file: the path's name hidden, with the attempt's token and its owner.
QString claimedPath(const QString& path, const QString& token, const QString& owner);
struct ClaimName {
    QString name;  ///< the bare name claimed; empty when the text is no claim
    QString token;
    QString owner;
};
ClaimName parseClaim(const QString& hidden);
/// The pattern of claimed names in a listing of hidden entries.
inline const QString kClaimedPattern = QStringLiteral(".*.claimed");

/// A document written under the attempt's token by `writer`, beside `path` where it belongs.
QString stagedPath(const QString& path, const QString& token, const QString& writer);
struct StagedName {
    QString name;  ///< the bare name it is published under; empty when the text is no staged file
    QString token;
    QString writer;
};
StagedName parseStaged(const QString& hidden);

/// The request of `account` bound to an attempt, or its marker when not mailed, in the store folder.
QString requestPath(const QString& storeFolder, const QString& account, const QString& token, bool mail = true);
struct RequestName {
    QString account;
    QString token;  ///< empty when the text is no bound file
};
RequestName parseRequest(const QString& hidden);

/// A run's heartbeat file in the store folder, and the run a hidden name is the heartbeat of.
QString heartbeatPath(const QString& storeFolder, const QString& runId);
QString parseHeartbeat(const QString& hidden);

/// "folder\name": the text after the last backslash, and the folder with its backslash.
QString nameOf(const QString& path);
QString folderOf(const QString& path);

}  // namespace handoff
