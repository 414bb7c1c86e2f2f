// TMainForm: uploads into the chosen library folder (editor/Uploads.cpp).
// Read inside the class by common/MainForm.h.
void btnUploadSingleClick(Component* Sender);
void UniFileUploadButton1MultiCompleted(Component* Sender, const std::vector<UploadedFile>& Files);
void Upload1MultiCompleted(Component* Sender, const std::vector<UploadedFile>& Files);
// Stores each file of an upload in the chosen library folder; with
// toastEach, the browser hears of each stored file.
void StoreUploads(const std::vector<UploadedFile>& files, bool toastEach);
