#ifndef PROCESS_FILE_H
#define PROCESS_FILE_H

class BMessage;

// Operation numbers, from the message's int32 "FileDropID" (absent means Set icon).
enum {
	kSetIconOperation = 0,
	kClearIconOperation = 1
};

// Carries out the operation that the message asks for on its first entry reference. The
// caller keeps the message. Failures are reported only by fixed lines on standard output.
void ProcessFile(BMessage* message);

#endif
