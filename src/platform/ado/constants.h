#pragma once
// The data-access constants that the ported code passes and tests, with the
// values the old component library gave them.
namespace ado {

enum ObjectStateEnum : int {
    adStateClosed = 0,
    adStateOpen = 1,
    adStateConnecting = 2,
    adStateExecuting = 4,
    adStateFetching = 8,
};

enum CursorLocationEnum : int {
    adUseNone = 1,
    adUseServer = 2,
    adUseClient = 3,
};

enum CursorTypeEnum : int {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};

enum LockTypeEnum : int {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4,
};

enum CommandTypeEnum : int {
    adCmdUnspecified = -1,
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8,
    adCmdTableDirect = 512,
};

enum ExecuteOptionEnum : int {
    adOptionUnspecified = -1,
    adAsyncExecute = 0x10,
    adAsyncFetch = 0x20,
    adExecuteNoRecords = 0x80,
};

enum SchemaEnum : int {
    adSchemaColumns = 4,
    adSchemaTables = 20,
};

enum IsolationLevelEnum : int {
    adXactUnspecified = -1,
    adXactChaos = 16,
    adXactReadUncommitted = 256,
    adXactBrowse = 256,
    adXactCursorStability = 4096,
    adXactReadCommitted = 4096,
    adXactRepeatableRead = 65536,
    adXactSerializable = 1048576,
    adXactIsolated = 1048576,
};

enum AffectEnum : int {
    adAffectCurrent = 1,
    adAffectGroup = 2,
    adAffectAll = 3,
};

enum EditModeEnum : int {
    adEditNone = 0,
    adEditInProgress = 1,
    adEditAdd = 2,
    adEditDelete = 4,
};

// Field.Type codes.
enum DataTypeEnum : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adError = 10,
    adBoolean = 11,
    adVariant = 12,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

// Error numbers raised by this layer (legacy::VbError::Number and
// Error::Number). The provider numbers are the signed 32-bit values the
// old runtime showed for &H8004xxxx, so `e.Number == ado::kErrProvider`
// reads like the ported `Err.Number = &H80004005`.
inline constexpr int adErrNoCurrentRecord = 3021;     // BOF or EOF, or the row was deleted
inline constexpr int adErrIllegalOperation = 3219;    // operation not allowed in this context
inline constexpr int adErrFeatureNotAvailable = 3251; // the recordset cannot do this (read-only)
inline constexpr int adErrItemNotFound = 3265;        // no field or error by that name or index
inline constexpr int adErrObjectClosed = 3704;        // the object is closed
inline constexpr int adErrObjectOpen = 3705;          // the object is already open
inline constexpr int adErrInvalidConnection = 3709;   // the connection is closed or unusable
inline constexpr int adErrInvalidArgument = 3001;     // wrong type, out of range or in conflict

inline constexpr int kErrProvider = -2147467259;      // &H80004005: unspecified / link lost / cannot connect
inline constexpr int kErrSyntax = -2147217900;        // &H80040E14: syntax error or failed statement
inline constexpr int kErrNoSuchObject = -2147217865;  // &H80040E37: table or column does not exist
inline constexpr int kErrIntegrity = -2147217873;     // &H80040E2F: constraint violation
inline constexpr int kErrTruncation = -2147217833;    // &H80040E57: data would be truncated
inline constexpr int kErrTimeout = -2147217871;       // &H80040E31: time-out expired
inline constexpr int kErrLoginFailed = -2147217843;   // &H80040E4D: login failed
inline constexpr int kErrTypeMismatch = -2147217913;  // &H80040E07: conversion failed
inline constexpr int kErrRowNotFound = -2147217864;  // &H80040E38: the row to update or delete is gone
inline constexpr int kErrNoConnection = -2147221503;  // &H80040001: raised by the database class

// Native error numbers that callers test.
inline constexpr int kNativeNetwork = 11;             // general network error (link lost)
inline constexpr int kNativeDuplicateKey = 2627;
inline constexpr int kNativeReference = 547;
inline constexpr int kNativeTruncation = 8152;
inline constexpr int kNativeMissingObject = 208;
inline constexpr int kNativeMissingColumn = 207;
inline constexpr int kNativeSyntax = 102;
inline constexpr int kNativeCannotOpenDatabase = 4060;
inline constexpr int kNativeReadOnlyDatabase = 3906;  // the database is read-only

}  // namespace ado
