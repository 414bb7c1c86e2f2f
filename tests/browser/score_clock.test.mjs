// The console's score panel and clock dialog with a display beside it: the
// period scheme sets the period buttons, an applied goal reaches the
// display's score page, and the demo clock page runs from a period start.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { SCREEN, component, useProgramServer } from './support.mjs';

const demo = useProgramServer();

// Whether the page has no request open or waiting.
async function settled(page) {
  await page.waitForFunction(() => {
    const s = window.Tess && window.Tess.state();
    return s && !s.inflight && s.queued === 0;
  });
}

async function openConsole() {
  const page = await demo.browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(demo.server.url('?start=tessarine'));
  await component(page, 'edtLoginUser').locator('input').fill('profi');
  await component(page, 'edtLoginPW').locator('input').fill('stadion2025');
  await component(page, 'btnLoginOK').click();
  await component(page, 'btnEditUhr').waitFor({ state: 'visible' });
  // The deferred start-up has loaded the state documents once its timer
  // has switched itself off.
  await page.waitForFunction(() => Object.values(window.Tess.core.byId)
    .some((c) => c.name === 'timerGo' && c.p.enabled === false));
  await settled(page);
  return page;
}

async function confirm(page) {
  const yes = page.locator('.tess-box-confirm button[data-r="yes"]');
  await yes.click();
  await settled(page);
}

test('the clock dialog sets the period buttons and an applied goal reaches the display', async () => {
  const display = await demo.browser.newPage();
  await display.setViewportSize(SCREEN);
  await display.goto(demo.server.url('?standort=Arena'));
  await component(display, 'panF1').waitFor({ state: 'visible' });
  const console = await openConsole();
  try {
    await component(console, 'btnEditUhr').click();
    await component(console, 'btnApply').waitFor({ state: 'visible' });
    await component(console, 'rad3h').locator('input').check();
    await component(console, 'edt3h').locator('input').fill('20');
    await component(console, 'btnApply').click();
    await settled(console);
    const captions = await Promise.all(['btnAUhr45', 'btnAUhr90', 'btnAUhr3', 'btnAUhr4']
      .map((n) => component(console, n).textContent()));
    assert.deepEqual(captions.map((t) => t.trim()), ['20', '40', '60', '80']);
    await component(console, 'btnCancel').click();
    await component(console, 'btnApply').waitFor({ state: 'detached' });

    // The score display plays the score page in frame 1.
    await component(console, 'btnASpielstand').click();
    const iframe = await display.waitForFunction(() => {
      const f = document.querySelector('[data-component="panF1"] iframe[src^="Containers/System/files/Spielstand.html"]');
      return f && f.getBoundingClientRect().width > 0 && f;
    });
    const page = await iframe.asElement().contentFrame();
    await page.waitForFunction(() => window.Spielstand && window.Spielstand.polls().shown > 0 &&
      document.getElementById('standHeim').textContent === '0');

    await component(console, 'TorHP').click();
    await component(console, 'btnAnzApply').click();
    await settled(console);
    // Saved now. The page asks for the document once a second; the answer
    // to the question after the one it may have had open shows the goal.
    const asked = await page.evaluate(() => window.Spielstand.polls().asked);
    await page.waitForFunction(() => document.getElementById('standHeim').textContent === '1');
    const shown = await page.evaluate(() => window.Spielstand.polls().shown);
    assert.ok(shown <= asked + 1, `shown by question ${shown}, ${asked} asked when it was saved`);
    assert.equal(await page.locator('#standGast').textContent(), '0');
  } finally {
    await console.close();
    await display.close();
  }
});

test('the demo clock page runs from a period start on the server\'s time', async () => {
  const console = await openConsole();
  const clock = await demo.browser.newPage({ viewport: { width: 640, height: 360 } });
  // The display computer's own clock is hours off: the page must not use it.
  await clock.addInitScript(() => {
    const RealDate = Date;
    const offset = 5 * 60 * 60 * 1000;
    // eslint-disable-next-line no-global-assign
    Date = class extends RealDate {
      constructor(...a) { super(...(a.length ? a : [RealDate.now() + offset])); }
      static now() { return RealDate.now() + offset; }
    };
  });
  try {
    await component(console, 'btnAUhr45').click();
    await confirm(console);
    await component(console, 'btnEditUhr').click();
    await component(console, 'edtUhrKorr').locator('input').fill('01:00');
    await component(console, 'btnAUhr').click();
    await settled(console);

    await clock.goto(demo.server.url('Containers/System/files/SpielUhrPreview.html'));
    const seconds = () => clock.evaluate(() => Number(document.getElementById('uhr').dataset.seconds));
    await clock.waitForFunction(() => Number(document.getElementById('uhr').dataset.seconds) >= 60);
    const first = await seconds();
    assert.ok(first < 180, `a minute and a little into the period, not ${first} s`);
    await clock.waitForFunction((s) => Number(document.getElementById('uhr').dataset.seconds) > s, first);
    assert.match(await clock.locator('#uhr').textContent(), /^0[12]:\d\d$/);
    assert.equal(await clock.locator('#abschnitt').textContent(), '1. Abschnitt');
  } finally {
    await clock.close();
    await console.close();
  }
});
