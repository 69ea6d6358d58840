{ A session through the unit quillet against the reader on port 0 at 115200 baud with a fresh
  SLE4442 (code FF FF FF), run by test_bindings.py: one call of each shape of declaration (a 32-bit
  result, var values, byte buffers in and out, a float, a text) and a failure status turned into an
  EQuillet. Prints each check; exits 1 when any failed. }
program session;

{$mode delphi}

uses
  SysUtils, quillet;

var
  Failures: Integer = 0;

procedure Expect(Condition: Boolean; const What: string);
begin
  if Condition then
    WriteLn('ok   ', What)
  else
  begin
    WriteLn('FAIL ', What);
    Inc(Failures);
  end;
end;

function Same(const A: array of Byte; const B: array of Byte): Boolean;
begin
  Result := (Length(A) = Length(B)) and ((Length(A) = 0) or CompareMem(@A[0], @B[0], Length(A)));
end;

function ErrorCounter(Handle: LongInt): SmallInt;
begin
  QuilletCheck(rsct_4442(Handle, Result), 'rsct_4442');
end;

procedure PresentCode(Handle: LongInt; const Code: array of Byte);
begin
  QuilletCheck(csc_4442(Handle, Length(Code), @Code[0]), 'csc_4442');
end;

var
  Rate, Handle, Stored: LongInt;
  State, Failed, Status: SmallInt;
  Version: array[0..18] of Byte; { 18 bytes and the end of the text }
  Buffer: array[0..9] of Byte;
  Image: array[0..3] of Byte;
  Back: Single;
  Instructions: TextFile;
const
  Written: array[0..6] of Byte = ($51, $75, $69, $6C, $6C, $65, $74);
begin
  Rate := chk_baud(0);
  Expect(Rate = 115200, 'chk_baud finds 115200 baud (a 32-bit result): ' + IntToStr(Rate));
  Handle := QuilletCheck(ic_init(0, Rate), 'ic_init');
  try
    FillChar(Version, SizeOf(Version), 0);
    QuilletCheck(srd_ver(Handle, 18, @Version[0]), 'srd_ver');
    WriteLn('version ', PAnsiChar(@Version[0]));
    Expect(Version[0] <> 0, 'srd_ver gives the version text');
    QuilletCheck(get_status(Handle, State), 'get_status');
    Expect(State <> 0, 'get_status sees the card (a var SmallInt)');
    Expect(ErrorCounter(Handle) = 3, 'rsct_4442: three attempts on a fresh card');

    try
      PresentCode(Handle, [$12, $34, $56]);
      Expect(False, 'a wrong code is refused');
    except
      on E: EQuillet do
        Expect((E.Status < 0) and (E.Call = 'csc_4442'), 'a wrong code is refused: ' + E.Message);
    end;
    Expect(ErrorCounter(Handle) = 2, 'the wrong code cost an attempt');
    PresentCode(Handle, [$FF, $FF, $FF]);

    QuilletCheck(swr_4442(Handle, $40, Length(Written), @Written[0]), 'swr_4442');
    QuilletCheck(srd_4442(Handle, $40, Length(Written), @Buffer[0]), 'srd_4442');
    Expect(CompareMem(@Buffer[0], @Written[0], Length(Written)), 'swr_4442 then srd_4442 give the bytes back');

    try
      QuilletCheck(srd_4442(Handle, 250, Length(Buffer), @Buffer[0]), 'srd_4442');
      Expect(False, 'a read past the card''s end is refused');
    except
      on E: EQuillet do
        Expect((E.Status = -143) and (E.StatusName = 'QL_BAD_LENGTH') and (E.Call = 'srd_4442'),
               'a read past the card''s end raises QL_BAD_LENGTH: ' + E.Message);
    end;

    QuilletCheck(val_set(Handle, 123456789), 'val_set');
    QuilletCheck(val_read(Handle, Stored), 'val_read');
    Expect(Stored = 123456789, 'val_set then val_read (a var LongInt): ' + IntToStr(Stored));

    QuilletCheck(float_uchar(-2.75, @Image[0]), 'float_uchar');
    QuilletCheck(uchar_float(@Image[0], Back), 'uchar_float');
    Expect(Same(Image, [$00, $00, $30, $C0]) and (Back = -2.75),
           'float_uchar and uchar_float (a Single in, a var Single)');

    { A text argument: an instruction file whose first instruction writes and whose second fails. }
    AssignFile(Instructions, 'session.ins');
    Rewrite(Instructions);
    WriteLn(Instructions, 'swr_4442(dev, 0x50, 4) { "Q#", 0x31, ''2'' }');
    WriteLn(Instructions, 'srd_4442(dev, 250, 10, "out.bin") { }');
    CloseFile(Instructions);
    Status := exp_dis(Handle, 'session.ins', Failed);
    Expect((Status = -143) and (Failed = 1),
           'exp_dis runs the file named by text: ' + IntToStr(Status) + ', ' + IntToStr(Failed));
    QuilletCheck(srd_4442(Handle, $50, 4, @Buffer[0]), 'srd_4442');
    Expect(CompareMem(@Buffer[0], PAnsiChar('Q#12'), 4), 'exp_dis wrote the instruction''s bytes');
  finally
    QuilletCheck(ic_exit(Handle), 'ic_exit');
  end;
  if Failures > 0 then
    Halt(1);
end.
