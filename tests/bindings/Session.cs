// A session through Quillet.cs against the reader on port 0 at 115200 baud with a fresh SLE4442
// (code FF FF FF), run by test_bindings.py: one call of each shape of declaration (a 32-bit
// result, [out] values, byte buffers in and out, a float, a text) and a failure status turned into
// a QuilletException. Prints each check; exits 1 when any failed.
using System;
using System.IO;
using System.Linq;
using Quillet;

static class Session
{
    static int failures;

    static void Expect(bool condition, string what)
    {
        Console.WriteLine((condition ? "ok   " : "FAIL ") + what);
        if (!condition)
            failures++;
    }

    static short ErrorCounter(Reader reader)
    {
        short count;
        Status.Check(Native.rsct_4442(reader.Handle, out count), "rsct_4442");
        return count;
    }

    static int Main()
    {
        int rate = Reader.FindRate(0);
        Expect(rate == 115200, "chk_baud finds 115200 baud (a 32-bit result): " + rate);
        using (var reader = Reader.Open(0, rate))
        {
            string version = reader.Version();
            Console.WriteLine("version " + version);
            Expect(version.Length > 0, "srd_ver gives the version text");
            Expect(reader.CardState() != 0, "get_status sees the card (an out short)");
            Expect(ErrorCounter(reader) == 3, "rsct_4442: three attempts on a fresh card");

            try
            {
                reader.PresentCode(Native.csc_4442, new byte[] { 0x12, 0x34, 0x56 });
                Expect(false, "a wrong code is refused");
            }
            catch (QuilletException e)
            {
                Expect(e.Status < 0 && e.Call == "csc_4442", "a wrong code is refused: " + e.Message);
            }
            Expect(ErrorCounter(reader) == 2, "the wrong code cost an attempt");
            reader.PresentCode(Native.csc_4442, new byte[] { 0xFF, 0xFF, 0xFF });

            byte[] written = { 0x51, 0x75, 0x69, 0x6C, 0x6C, 0x65, 0x74 };
            reader.Write(Native.swr_4442, 0x40, written);
            Expect(reader.Read(Native.srd_4442, 0x40, (short)written.Length).SequenceEqual(written),
                   "swr_4442 then srd_4442 give the bytes back");

            try
            {
                reader.Read(Native.srd_4442, 250, 10);
                Expect(false, "a read past the card's end is refused");
            }
            catch (QuilletException e)
            {
                Expect(e.Status == -143 && e.StatusName == "QL_BAD_LENGTH" && e.Call == "srd_4442",
                       "a read past the card's end raises QL_BAD_LENGTH: " + e.Message);
            }

            int stored;
            Status.Check(Native.val_set(reader.Handle, 123456789), "val_set");
            Status.Check(Native.val_read(reader.Handle, out stored), "val_read");
            Expect(stored == 123456789, "val_set then val_read (an out int): " + stored);

            byte[] image = new byte[4];
            float back;
            Status.Check(Native.float_uchar(-2.75f, image), "float_uchar");
            Status.Check(Native.uchar_float(image, out back), "uchar_float");
            Expect(image.SequenceEqual(new byte[] { 0x00, 0x00, 0x30, 0xC0 }) && back == -2.75f,
                   "float_uchar and uchar_float (a float in, an out float)");

            // A text argument: an instruction file whose first instruction writes and whose second fails.
            File.WriteAllText("session.ins", "swr_4442(dev, 0x50, 4) { \"Q#\", 0x31, '2' }\n" +
                                             "srd_4442(dev, 250, 10, \"out.bin\") { }\n");
            short failed;
            short status = Native.exp_dis(reader.Handle, "session.ins", out failed);
            Expect(status == -143 && failed == 1, "exp_dis runs the file named by text: " + status + ", " + failed);
            Expect(reader.Read(Native.srd_4442, 0x50, 4).SequenceEqual(new byte[] { 0x51, 0x23, 0x31, 0x32 }),
                   "exp_dis wrote the instruction's bytes");
        }
        return failures == 0 ? 0 : 1;
    }
}
