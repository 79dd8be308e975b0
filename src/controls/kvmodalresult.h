#pragma once

// The result a button gives its dialog; the numbers are the dialog results.
enum TKvModalResult : int {
    tmrNone = 0,
    tmrOK = 1,
    tmrCancel = 2,
    tmrAbort = 3,
    tmrRetry = 4,
    tmrIgnore = 5,
    tmrYes = 6,
    tmrNo = 7,
    tmrAll = 8,
    tmrNoToAll = 9,
    tmrYesToAll = 10,
    tmrClose = 11,
};
