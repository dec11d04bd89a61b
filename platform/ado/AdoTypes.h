// The data-access type numbers, cursor and state constants and error numbers that recordsets
// and connections use, with the same values as the Windows data-access components.
#pragma once

enum DataTypeEnum : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
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
    adVarNumeric = 139,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

enum ObjectStateEnum : int { adStateClosed = 0, adStateOpen = 1 };
enum CursorLocationEnum : int { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum : int { adOpenUnspecified = -1, adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum : int { adLockUnspecified = -1, adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
enum CommandTypeEnum : int { adCmdUnspecified = -1, adCmdText = 1 };
enum SearchDirectionEnum : int { adSearchBackward = -1, adSearchForward = 1 };
enum PositionEnum : int { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
enum StringFormatEnum : int { adClipString = 2 };
enum FilterGroupEnum : int { adFilterNone = 0 };
enum FieldAttributeEnum : int { adFldUnspecified = -1, adFldIsNullable = 0x20 };
// The schema rowsets of Connection::OpenSchema.
enum SchemaEnum : int { adSchemaColumns = 4, adSchemaTables = 20 };

// Error numbers raised by the recordset and the connections (the components' own values).
namespace adoerr {
inline constexpr long kNoCurrentRecord = 3021;   // BOF or EOF, or the current record was deleted
inline constexpr long kWrongArguments = 3001;    // arguments of the wrong type or out of range
inline constexpr long kObjectClosed = 3704;      // operation not allowed when the object is closed
inline constexpr long kObjectOpen = 3705;        // operation not allowed when the object is open
inline constexpr long kNotInCollection = 3265;   // item not found in the collection
inline constexpr long kDataConversion = 3421;    // value of the wrong type for the operation
inline constexpr long kProviderNotFound = 3706;  // provider cannot be found
inline constexpr long kNotCapable = 3251;        // the provider cannot perform the requested operation
inline constexpr long kUnspecified = -2147467259;          // 0x80004005, E_FAIL
inline constexpr long kSyntaxError = -2147217900;          // 0x80040E14, syntax or statement error
inline constexpr long kObjectNotFound = -2147217865;       // 0x80040E37, table or file not found
inline constexpr long kTooFewParameters = -2147217904;     // 0x80040E10, unknown column name
} // namespace adoerr

// Type groups the recordset and the drivers convert values by.
bool IsAdoIntegerType(int type);
bool IsAdoFloatType(int type);   // single, double, currency, decimal, numeric
bool IsAdoDateType(int type);
bool IsAdoTextType(int type);    // every type that holds text (also GUID)

#include "platform/ado/Variant.h"

// The value converted to what a field of the type holds: integers, floating numbers (a number a
// double does not hold as a decimal, every digit kept), dates, Booleans or texts; Null and Empty become Null, and so does an empty or blank text for a
// field that is not a text. Raises AppError kDataConversion when the value does not convert.
Variant ConvertToAdoType(const Variant& value, int type);
