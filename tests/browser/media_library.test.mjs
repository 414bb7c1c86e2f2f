// The media library of the console in a real browser: choose a folder,
// preview a picture, play it on a display open beside the console, upload
// through the drop zone.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { component, openConsoleTab, useProgramServer } from './support.mjs';

const demo = useProgramServer();

async function openLibrary(page) {
  await openConsoleTab(page, demo.server, 'profi', 'stadion2025', 'Entertainment');
  await component(page, 'treeCont').waitFor({ state: 'visible' });
}

function folderNode(page, name) {
  return component(page, 'treeCont').locator('.tess-node-text', { hasText: new RegExp(`^${name}$`) }).first();
}

function listItem(page, name) {
  return component(page, 'listCont').locator('.tess-list-item', { hasText: name }).first();
}

test('an operator lists a folder, previews a picture, plays it on a display and uploads two files', async () => {
  const display = await demo.browser.newPage();
  await display.setViewportSize({ width: 1920, height: 1080 });
  await display.goto(demo.server.url('?standort=Nirgendwo'));
  await component(display, 'lblF1A').locator('img').waitFor({ state: 'visible' });

  const page = await demo.browser.newPage();
  await page.setViewportSize({ width: 1280, height: 800 });
  await openLibrary(page);
  await folderNode(page, 'Bilder').click();
  await component(page, 'lblContFile').getByText('Bilder', { exact: true }).waitFor();
  const item = listItem(page, 'Anstoss.jpg');
  await item.waitFor({ state: 'visible' });
  assert.equal(await item.locator('i.fa-image').count(), 1, 'a picture is listed with the picture icon');
  await listItem(page, 'Logo.gif').waitFor({ state: 'visible' });

  await component(page, 'chkPLSView').locator('input').check();
  await item.click();
  const preview = component(page, 'imgEDTCont').locator('img');
  await preview.waitFor({ state: 'visible' });
  assert.match(await preview.getAttribute('src'), /^\/Containers\/Bilder\/Anstoss\.jpg\?v=/);
  await page.waitForFunction(
    () => { const i = document.querySelector('[data-component="imgEDTCont"] img'); return i && i.complete && i.naturalWidth > 0; });

  const pressed = Date.now();
  await component(page, 'btnPlayContMedium').click();
  const shown = component(display, 'lblF1A').locator('img[src*="Anstoss.jpg"]')
    .or(component(display, 'lblF1B').locator('img[src*="Anstoss.jpg"]'));
  await shown.first().waitFor({ state: 'visible' });
  console.log(`# the display showed the picture ${Date.now() - pressed} ms after "Play"`);

  // Two files through the drop zone; the list shows them at the next
  // click on the folder.
  await component(page, 'UniFileUploadButton1').locator('input[type=file]').setInputFiles([
    { name: 'Tor Jubel.png', mimeType: 'image/png', buffer: await preview.evaluate(async (img) => {
      const r = await fetch(img.src);
      return Array.from(new Uint8Array(await r.arrayBuffer()));
    }).then((a) => Buffer.from(a)) },
    { name: 'Grüße?.html', mimeType: 'text/html', buffer: Buffer.from('<p>Hallo</p>') },
  ]);
  await page.waitForFunction(() => {
    const z = document.querySelector('[data-component="UniFileUploadButton1"] .tess-dropzone-progress');
    return z && z.style.display === 'none';
  });
  for (let i = 0; ; i++) {
    await folderNode(page, 'Bilder').click();
    if (await listItem(page, 'Gruesse_.html').count() && await listItem(page, 'Tor Jubel.png').count()) break;
    assert.ok(i < 200, 'the uploaded files were never listed');
    await page.waitForTimeout(250);
  }
  assert.equal(await listItem(page, 'Gruesse_.html').locator('i.fa-html5').count(), 1);
  await page.screenshot({ path: `${demo.folder}/../library.png` }).catch(() => {});
  await page.close();
  await display.close();
});
